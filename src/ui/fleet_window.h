#pragma once

// File > "Fleet…": a roster and a template made into a plan (shown row by row
// with its problems), the plan folder written or opened again, and the run:
// one lane per board with its pager, its progress and its prompt (Go, Skip,
// Stop) or, hands-free, the label it waits for; the results as they come, with
// Retry for a pager that failed. Reads and writes the same plan.json,
// report.csv and report.json as `fleet plan` and `fleet run`. The rules are
// fleet::ControlsFor and the rest of fleet/fleet_screen.h; this is their view.

#include <QDialog>
#include <QFrame>
#include <atomic>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "fleet/fleet_plan.h"
#include "fleet/fleet_report.h"
#include "fleet/plan_folder.h"
#include "fleet_run/fleet_runner.h"
#include "fleet_run/fleet_screen.h"
#include "image/pager_image.h"
#include "link/port_table.h"
#include "ui/folder_path_box.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTableWidget;
class QThread;
class QUrl;
class QVBoxLayout;

namespace mk843nb {

class DialogService;
class FleetLane;
class WindowRunObserver;

struct FleetWindowOptions {
    // The ports the main window lists now, and its table (a template the user may pick).
    std::function<PortTable()> ports;
    std::function<PagerImage()> windowImage;
    // Closes the main window's port before a run.
    std::function<void()> releasePorts;
    // The boards' channels and clocks (fleet::RunOptions): the serial ports unless replaced.
    std::function<std::unique_ptr<ByteChannel>(const std::string& port)> channels;
    std::function<LinkClock*(const std::string& port)> clock;
};

class FleetWindow : public QDialog {
    Q_OBJECT
public:
    FleetWindow(DialogService& dialogs, FleetWindowOptions options, QWidget* parent = nullptr);
    ~FleetWindow() override;

    // Lists the main window's ports again and shows the window.
    void ShowFleet();

    bool Running() const { return thread_ != nullptr; }
    const std::optional<std::filesystem::path>& PlanFolder() const { return folder_; }
    // The lanes of the run going on or last made, board 1 first.
    std::vector<FleetLane*> Lanes() const { return lanes_; }

    // Opens a folder or file in the desktop's programs; false when none could,
    // and then a box says where it is.
    std::function<bool(const QUrl&)> openUrl;
    FolderPathBox* PathBox() const { return pathBox_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    friend class WindowRunObserver;

    void ChooseRoster();
    void ChooseTemplateFile();
    // The plan from the roster and template chosen, shown; nothing written.
    void BuildPlan();
    void MakePlan();
    void OpenPlan();
    // The plan folder as it stands: its pagers, its report's results.
    bool LoadFolder(const std::filesystem::path& folder);
    void ShowPlanRows();
    void ShowResults();
    void Run(const fleet::PlanManifest& plan);
    void Retry();
    void Stop();
    void RunEnded();
    void ShowPrompt(std::size_t board, const std::string& label);
    void Answer(fleet::PromptAnswer answer);
    void ShowSnapshot(const fleet::RunSnapshot& snapshot);
    void PagerEnded(const fleet::ReportLine& line, const fleet::RunSnapshot& snapshot);
    void UpdateControls();
    // fleet plan's options as the window's boxes give them; nullopt, with why, for a bad keep list.
    std::optional<fleet::PlanOptions> ChosenOptions(std::string& why) const;
    void Open(const std::filesystem::path& path, FolderPathBox::Kind kind);
    bool HasReport() const;
    // The template file: the one chosen, or the window's table written to path.
    std::optional<std::filesystem::path> TemplateFile(const std::filesystem::path& windowCopy);
    std::vector<std::size_t> CheckedBoards() const;

    DialogService& dialogs_;
    FleetWindowOptions options_;
    PortTable ports_;

    QLineEdit* roster_;
    QRadioButton* windowTemplate_;
    QRadioButton* fileTemplate_;
    QLineEdit* templatePath_;
    QPushButton* rosterButton_;
    QPushButton* templateButton_;
    QPushButton* makePlan_;
    QPushButton* openPlan_;
    QTableWidget* plan_;
    QLabel* planNote_;
    QListWidget* boards_;
    QCheckBox* handsFree_;
    QCheckBox* again_;
    QCheckBox* strict_;
    QCheckBox* exact_;
    QLineEdit* keep_;
    QPushButton* run_;
    QPushButton* stop_;
    QVBoxLayout* laneBox_;
    QTableWidget* results_;
    QLabel* standing_;
    QPushButton* retry_;
    QPushButton* openReport_;
    QPushButton* openFolder_;
    FolderPathBox* pathBox_;

    std::string rosterFile_;
    std::string templateFile_;
    std::optional<fleet::RosterParse> rosterParse_;
    std::optional<fleet::FleetPlan> built_;
    std::vector<fleet::PlanRow> rows_;

    std::optional<std::filesystem::path> folder_;
    std::optional<fleet::PlanManifest> manifest_;
    std::vector<fleet::ReportLine> lines_;  // the report's, and this run's as they come
    fleet::RunSummary summary_;

    std::vector<FleetLane*> lanes_;
    std::vector<std::size_t> laneBoards_;  // the ports_ entry of each lane
    std::unique_ptr<WindowRunObserver> observer_;
    std::atomic<bool> stopRequested_{false};
    QThread* thread_ = nullptr;
    bool runHandsFree_ = false;
    std::optional<std::size_t> promptLane_;
};

// One board of a run: the pager it programs, its state and progress, and its prompt.
class FleetLane : public QFrame {
    Q_OBJECT
public:
    FleetLane(int number, const QString& port, QWidget* parent = nullptr);

    QLabel* State() const { return state_; }
    QLabel* Prompt() const { return prompt_; }
    QPushButton* Go() const { return go_; }
    QPushButton* Skip() const { return skip_; }
    QPushButton* StopButton() const { return stop_; }

    void Show(const std::string& text, int step);
    void Ask(const QString& text);
    void EndAsking();

private:
    QLabel* state_;
    QProgressBar* progress_;
    QLabel* prompt_;
    QPushButton* go_;
    QPushButton* skip_;
    QPushButton* stop_;
};

}  // namespace mk843nb
