#include "ui/window_run_observer.h"

#include <QMetaObject>
#include <QObject>
#include <algorithm>

namespace mk843nb {

WindowRunObserver::WindowRunObserver(QObject* receiver, std::vector<std::string> ports, Hooks hooks)
    : receiver_(receiver), ports_(std::move(ports)), hooks_(std::move(hooks)) {}

void WindowRunObserver::Post(std::function<void()> call) {
    QMetaObject::invokeMethod(receiver_, std::move(call), Qt::QueuedConnection);
}

std::size_t WindowRunObserver::LaneOf(const std::string& port) const {
    return static_cast<std::size_t>(std::find(ports_.begin(), ports_.end(), port) - ports_.begin());
}

fleet::PromptAnswer WindowRunObserver::Prompt(const fleet::PlanEntry& pager, int, int,
                                              const std::string& port) {
    const std::size_t lane = LaneOf(port);
    std::unique_lock lock(mutex_);
    if (cancelled_) return fleet::PromptAnswer::Stop;
    answer_.reset();
    Post([show = hooks_.prompt, lane, label = pager.label] { show(lane, label); });
    answered_.wait(lock, [this] { return answer_.has_value() || cancelled_; });
    return answer_ ? *answer_ : fleet::PromptAnswer::Stop;
}

void WindowRunObserver::PagerEnded(const fleet::ReportLine& line,
                                   const fleet::RunSnapshot& snapshot) {
    Post([ended = hooks_.pagerEnded, line, snapshot] { ended(line, snapshot); });
}

void WindowRunObserver::Progress(const fleet::RunSnapshot& snapshot) {
    Post([show = hooks_.progress, snapshot] { show(snapshot); });
}

void WindowRunObserver::WrongPager(const fleet::PlanEntry& pager, const std::string& port,
                                   const std::string& text) {
    Post([show = hooks_.wrongPager, lane = LaneOf(port), label = pager.label, text] {
        show(lane, label, text);
    });
}

void WindowRunObserver::Answer(fleet::PromptAnswer answer) {
    std::lock_guard lock(mutex_);
    answer_ = answer;
    answered_.notify_all();
}

void WindowRunObserver::Cancel() {
    std::lock_guard lock(mutex_);
    cancelled_ = true;
    answered_.notify_all();
}

}  // namespace mk843nb
