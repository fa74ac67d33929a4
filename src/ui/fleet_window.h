#pragma once

// File > "Fleet…": a roster and a template made into a plan (shown row by row
// with its problems), the plan folder written or opened again, and the run:
// one lane per board with its pager, its progress and its prompt (Go, Skip,
// Stop) or, hands-free, the label it waits for; the results as they come, with
// Retry for a pager that failed. Reads and writes the same plan.json,
// report.csv and report.json as `fleet plan` and `fleet run`. The rules are
// fleet::ControlsFor and the rest of fleet_run/fleet_screen.h; the parts are
// FleetPlanPanel, FleetRunPanel and FleetResultsPanel, and the plan folder
// open is a FleetFolder. This window wires them together.

#include <QDialog>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "fleet/fleet_report.h"
#include "fleet/plan_folder.h"
#include "fleet_run/fleet_runner.h"
#include "image/pager_image.h"
#include "link/port_table.h"
#include "ui/fleet_folder.h"
#include "ui/fleet_run_panel.h"
#include "ui/folder_path_box.h"

class QUrl;

namespace mk843nb {

class DialogService;
class FleetLane;
class FleetPlanPanel;
class FleetResultsPanel;

struct FleetWindowOptions : FleetRunHooks {
    // The ports the main window lists now, and its table (a template the user may pick).
    std::function<PortTable()> ports;
    std::function<PagerImage()> windowImage;
};

class FleetWindow : public QDialog {
    Q_OBJECT
public:
    FleetWindow(DialogService& dialogs, FleetWindowOptions options, QWidget* parent = nullptr);
    ~FleetWindow() override;

    // Lists the main window's ports again and shows the window.
    void ShowFleet();
    // The main window's ports changed: outside a run the boards follow them (a
    // board whose port is gone leaves the list; the ticked ones stay ticked).
    void PortsChanged();

    bool Running() const;
    const std::optional<std::filesystem::path>& PlanFolder() const { return folder_.Path(); }
    // The lanes of the run going on or last made, board 1 first.
    std::vector<FleetLane*> Lanes() const;

    // Opens a folder or file in the desktop's programs; false when none could,
    // and then a box says where it is.
    std::function<bool(const QUrl&)> openUrl;
    FolderPathBox* PathBox() const { return pathBox_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // The plan folder as it stands: its pagers, its report's results.
    void LoadFolder(const std::filesystem::path& folder);
    void ShowResults();
    // Nothing runs, and a box says why, when the inventory cannot be opened.
    void Run(const fleet::PlanManifest& plan, FleetRunRequest request = {});
    void WriteAnyway(const std::string& label, std::size_t board);
    void Retry();
    void RunEnded(const fleet::RunSummary& summary);
    void UpdateControls();
    void Open(const std::filesystem::path& path, FolderPathBox::Kind kind);

    DialogService& dialogs_;
    FleetWindowOptions options_;
    FleetFolder folder_;
    FleetPlanPanel* plan_;
    FleetRunPanel* run_;
    FleetResultsPanel* results_;
    FolderPathBox* pathBox_;
};

}  // namespace mk843nb
