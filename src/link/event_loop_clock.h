#pragma once

#include <QElapsedTimer>

#include "link/link_clock.h"

namespace mk843nb {

// Real time; Delay runs a local Qt event loop until a precise timer fires, so
// the window repaints and the CPU sleeps. Needs a QCoreApplication.
class EventLoopClock : public LinkClock {
public:
    EventLoopClock();
    std::int64_t NowMs() override;
    void Delay(int ms) override;

private:
    QElapsedTimer timer_;
};

}  // namespace mk843nb
