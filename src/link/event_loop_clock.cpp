#include "link/event_loop_clock.h"

#include <QEventLoop>
#include <QTimer>

namespace mk843nb {

EventLoopClock::EventLoopClock() { timer_.start(); }

std::int64_t EventLoopClock::NowMs() { return timer_.elapsed(); }

void EventLoopClock::Delay(int ms) {
    if (ms <= 0) return;
    QEventLoop loop;
    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    timer.start(ms);
    loop.exec();
}

}  // namespace mk843nb
