#include "ui/window_run_observer.h"

#include <QMetaObject>
#include <QObject>
#include <algorithm>

namespace mk843nb {

WindowRunObserver::WindowRunObserver(QObject* receiver, std::vector<std::string> ports, Hooks hooks)
    : receiver_(receiver),
      ports_(std::move(ports)),
      hooks_(std::move(hooks)),
      answers_(ports_.size()) {}

void WindowRunObserver::Post(std::function<void()> call) {
    QMetaObject::invokeMethod(receiver_, std::move(call), Qt::QueuedConnection);
}

std::size_t WindowRunObserver::LaneOf(const std::string& port) const {
    return static_cast<std::size_t>(std::find(ports_.begin(), ports_.end(), port) - ports_.begin());
}

fleet::PromptAnswer WindowRunObserver::Prompt(const fleet::PlanEntry& pager, int, int,
                                              const std::string& port) {
    return Ask(port, pager.label);
}

fleet::PromptAnswer WindowRunObserver::Ready(const std::string& port) { return Ask(port, ""); }

fleet::PromptAnswer WindowRunObserver::Ask(const std::string& port, const std::string& label) {
    const std::size_t lane = LaneOf(port);
    std::unique_lock lock(mutex_);
    if (cancelled_ || lane >= answers_.size()) return fleet::PromptAnswer::Stop;
    answers_[lane].reset();
    Post([show = hooks_.prompt, lane, label] { show(lane, label); });
    answered_.wait(lock, [&] { return answers_[lane].has_value() || cancelled_; });
    const std::optional<fleet::PromptAnswer> answer = answers_[lane];
    answers_[lane].reset();
    return answer ? *answer : fleet::PromptAnswer::Stop;
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

void WindowRunObserver::Answer(std::size_t lane, fleet::PromptAnswer answer) {
    std::lock_guard lock(mutex_);
    if (lane < answers_.size()) answers_[lane] = answer;
    answered_.notify_all();
}

void WindowRunObserver::Cancel() {
    std::lock_guard lock(mutex_);
    cancelled_ = true;
    answered_.notify_all();
}

}  // namespace mk843nb
