#pragma once

#include <iosfwd>
#include <memory>
#include <string>

#include "link/event_loop_clock.h"
#include "link/link_events.h"
#include "link/link_session.h"

namespace mk843nb {

// Prints every frame as "  0.123 s  sent      42 72 ..." (seconds since the
// link started, then the bytes in hex) when tracing; otherwise shows nothing.
class ConsoleLinkEvents : public LinkEvents {
public:
    ConsoleLinkEvents(std::ostream& trace, bool tracing) : trace_(trace), tracing_(tracing) {}
    void Frame(FrameDirection direction, std::span<const std::uint8_t> bytes,
               std::int64_t timeMs) override;

private:
    std::ostream& trace_;
    bool tracing_;
};

// The link for a program without a window: one session on the one given port.
// Its waits run Qt's event loop, so the program makes its application object
// first and keeps it while the link lives.
class ConsoleLink {
public:
    ConsoleLink(const std::string& port, bool trace, std::ostream& traceStream);
    ~ConsoleLink();
    ConsoleLink(const ConsoleLink&) = delete;
    ConsoleLink& operator=(const ConsoleLink&) = delete;

    LinkSession& Session() { return *session_; }

private:
    EventLoopClock clock_;
    ConsoleLinkEvents events_;
    std::unique_ptr<LinkSession> session_;
};

}  // namespace mk843nb
