#pragma once

#include <QGroupBox>
#include <atomic>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "fleet/fleet_report.h"
#include "fleet/plan_folder.h"
#include "fleet_run/fleet_runner.h"
#include "inventory/inventory.h"
#include "link/port_table.h"

class QCheckBox;
class QListWidget;
class QPushButton;
class QThread;
class QVBoxLayout;

namespace mk843nb {

class FleetLane;
class WindowRunObserver;

// How a run reaches the boards.
struct FleetRunHooks {
    // Closes the main window's port before a run.
    std::function<void()> releasePorts;
    // The boards' channels and clocks (fleet::RunOptions): the serial ports unless replaced.
    std::function<std::unique_ptr<ByteChannel>(const std::string& port)> channels;
    std::function<LinkClock*(const std::string& port)> clock;
    // Who runs the fleet, for the records; "" (or unset): the login name.
    std::function<std::string()> operatorName;
};

// A run asked for beyond its plan.
struct FleetRunRequest {
    // The roster lines whose pager is written over a pager the inventory knows
    // as another one ("Write anyway").
    std::set<int> writeAnyway;
    // The one board (its entry in the list) to run on; else the boards ticked.
    std::optional<std::size_t> board;
};

// The Fleet window's run: the boards to use, hands-free or with prompts, and
// while a plan runs on its own thread one lane per board with its pager, its
// progress and its prompt (Go, Skip, Stop) or, hands-free, the label it waits for.
class FleetRunPanel : public QGroupBox {
    Q_OBJECT
public:
    explicit FleetRunPanel(FleetRunHooks hooks, QWidget* parent = nullptr);
    // A run going on is stopped and waited for.
    ~FleetRunPanel() override;

    // Lists the ports as boards to tick: none ticked, or with keepTicks those
    // ticked before whose ports are still there.
    void ListBoards(const PortTable& ports, bool keepTicks = false);
    int BoardsTicked() const { return static_cast<int>(TickedBoards().size()); }
    bool Running() const { return thread_ != nullptr; }
    // The lanes of the run going on or last made, board 1 first.
    const std::vector<FleetLane*>& Lanes() const { return lanes_; }

    // Runs plan (of the plan folder) on the boards ticked, recording into
    // inventory (kept until the run ends); false, and nothing started, with none ticked.
    bool Start(const std::filesystem::path& folder, const fleet::PlanManifest& plan,
               std::unique_ptr<inventory::Inventory> inventory, FleetRunRequest request = {});
    void Stop();
    // Stops the run and ends it now: a pager being programmed is finished and
    // recorded first, as Ctrl+C does on the command line.
    void Finish();
    // choose: the boards and the switches; Stop stays off once asked.
    void Enable(bool choose, bool run, bool stop);

signals:
    void RunClicked();
    // Boards ticked, or Stop asked.
    void Changed();
    void PagerEnded(const fleet::ReportLine& line);
    void RunEnded(const fleet::RunSummary& summary);
    // "Write anyway" on the lane of board (its entry in the list) for label.
    void WriteAnyway(const std::string& label, std::size_t board);

private:
    std::vector<std::size_t> TickedBoards() const;
    void MakeLanes();
    void ShowPrompt(std::size_t lane, const std::string& label);
    void Answer(std::size_t lane, fleet::PromptAnswer answer);
    void ShowSnapshot(const fleet::RunSnapshot& snapshot);
    void End();
    // Stops the run and waits for its thread, telling nobody.
    void Abandon();

    FleetRunHooks hooks_;
    PortTable ports_;

    QListWidget* boards_;
    QCheckBox* handsFree_;
    QCheckBox* again_;
    QPushButton* run_;
    QPushButton* stop_;
    QVBoxLayout* laneBox_;

    std::vector<FleetLane*> lanes_;
    std::vector<std::size_t> laneBoards_;  // the ports_ entry of each lane
    std::unique_ptr<inventory::Inventory> inventory_;
    std::unique_ptr<WindowRunObserver> observer_;
    std::atomic<bool> stopRequested_{false};
    QThread* thread_ = nullptr;
    fleet::RunSummary summary_;
    bool runHandsFree_ = false;
};

}  // namespace mk843nb
