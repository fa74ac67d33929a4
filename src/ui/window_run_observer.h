#pragma once

#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "fleet_run/fleet_runner.h"

class QObject;

namespace mk843nb {

// The run's side of the Fleet window: called from the boards' threads and the
// run's own, it hands everything to the thread of its receiver; a prompt waits
// there for the answer of its lane's buttons (or for the run to be stopped).
// Each lane asks on its own, several at once.
class WindowRunObserver : public fleet::RunObserver {
public:
    // Each called on the receiver's thread, and only while the receiver exists
    // (a call still on its way when the observer is gone is made all the same).
    struct Hooks {
        // label: the pager to place; "" : the next pager, taken on Go.
        std::function<void(std::size_t lane, const std::string& label)> prompt;
        std::function<void(const fleet::ReportLine&, const fleet::RunSnapshot&)> pagerEnded;
        std::function<void(const fleet::RunSnapshot&)> progress;
        // The pager placed for label on the lane was refused as another one.
        std::function<void(std::size_t lane, const std::string& label, const std::string& text)>
            wrongPager;
    };

    // ports: the run's, lane by lane.
    WindowRunObserver(QObject* receiver, std::vector<std::string> ports, Hooks hooks);

    fleet::PromptAnswer Prompt(const fleet::PlanEntry& pager, int number, int total,
                               const std::string& port) override;
    fleet::PromptAnswer Ready(const std::string& port) override;
    void PagerEnded(const fleet::ReportLine& line, const fleet::RunSnapshot& snapshot) override;
    void Progress(const fleet::RunSnapshot& snapshot) override;
    void WrongPager(const fleet::PlanEntry& pager, const std::string& port,
                    const std::string& text) override;

    void Answer(std::size_t lane, fleet::PromptAnswer answer);
    // Every prompt open now or later answers Stop.
    void Cancel();

private:
    void Post(std::function<void()> call);
    std::size_t LaneOf(const std::string& port) const;
    fleet::PromptAnswer Ask(const std::string& port, const std::string& label);

    QObject* receiver_;
    std::vector<std::string> ports_;
    Hooks hooks_;
    std::mutex mutex_;
    std::condition_variable answered_;
    std::vector<std::optional<fleet::PromptAnswer>> answers_;  // lane by lane
    bool cancelled_ = false;
};

}  // namespace mk843nb
