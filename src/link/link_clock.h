#pragma once

#include <cstdint>

namespace mk843nb {

// The link's sense of time. The real clock waits inside the event loop, so the
// window repaints while the link waits; tests use a fake one that waits for nothing.
class LinkClock {
public:
    virtual ~LinkClock() = default;
    // Monotonic milliseconds.
    virtual std::int64_t NowMs() = 0;
    // Returns after ms milliseconds, having kept the event loop running meanwhile.
    virtual void Delay(int ms) = 0;
};

}  // namespace mk843nb
