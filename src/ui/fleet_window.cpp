#include "ui/fleet_window.h"

#include <QCloseEvent>
#include <QDesktopServices>
#include <QSplitter>
#include <QUrl>
#include <QVBoxLayout>

#include "fleet_run/fleet_screen.h"
#include "fleet_run/run_messages.h"
#include "inventory/inventory.h"
#include "ui/dialog_service.h"
#include "ui/fleet_lane.h"
#include "ui/fleet_plan_panel.h"
#include "ui/fleet_results_panel.h"
#include "ui/fleet_run_panel.h"
#include "ui/fleet_view_parts.h"

namespace mk843nb {

FleetWindow::FleetWindow(DialogService& dialogs, FleetWindowOptions options, QWidget* parent)
    : QDialog(parent),
      openUrl(&QDesktopServices::openUrl),
      dialogs_(dialogs),
      options_(std::move(options)),
      plan_(new FleetPlanPanel(dialogs, options_.windowImage, this)),
      run_(new FleetRunPanel(options_, this)),
      results_(new FleetResultsPanel(this)),
      pathBox_(new FolderPathBox(this)) {
    setObjectName(QStringLiteral("FleetWindow"));
    setWindowTitle(QStringLiteral("Fleet"));

    // The user gives the plan, the lanes or the results more room as the day goes.
    auto* parts = new QSplitter(Qt::Vertical, this);
    parts->setObjectName(QStringLiteral("FleetParts"));
    parts->setChildrenCollapsible(false);
    parts->addWidget(plan_);
    parts->addWidget(run_);
    parts->addWidget(results_);
    parts->setStretchFactor(0, 2);
    parts->setStretchFactor(1, 3);
    parts->setStretchFactor(2, 2);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(parts);

    connect(plan_, &FleetPlanPanel::PlanStarted, this, [this] {
        folder_.Leave();
        ShowResults();
    });
    connect(plan_, &FleetPlanPanel::Changed, this, &FleetWindow::UpdateControls);
    connect(plan_, &FleetPlanPanel::FolderMade, this, &FleetWindow::LoadFolder);
    connect(plan_, &FleetPlanPanel::OpenPlanClicked, this, [this] {
        if (const auto folder = FleetFolder::Choose(dialogs_)) LoadFolder(*folder);
    });
    connect(run_, &FleetRunPanel::RunClicked, this, [this] {
        if (folder_.Plan()) Run(*folder_.Plan());
    });
    connect(run_, &FleetRunPanel::Changed, this, &FleetWindow::UpdateControls);
    connect(run_, &FleetRunPanel::PagerEnded, this, [this](const fleet::ReportLine& line) {
        folder_.Add(line);
        ShowResults();
    });
    connect(run_, &FleetRunPanel::RunEnded, this, &FleetWindow::RunEnded);
    connect(run_, &FleetRunPanel::WriteAnyway, this, &FleetWindow::WriteAnyway);
    connect(results_, &FleetResultsPanel::SelectionChanged, this, &FleetWindow::UpdateControls);
    connect(results_, &FleetResultsPanel::RetryClicked, this, &FleetWindow::Retry);
    connect(results_, &FleetResultsPanel::OpenReportClicked, this, [this] {
        // A report deleted since the button was enabled is no file to open.
        if (folder_.HasReport())
            Open(*folder_.Path() / fleet::kReportCsvName, FolderPathBox::Kind::Report);
        else
            UpdateControls();
    });
    connect(results_, &FleetResultsPanel::OpenFolderClicked, this, [this] {
        if (folder_.Path()) Open(*folder_.Path(), FolderPathBox::Kind::PlanFolder);
    });
    connect(results_, &FleetResultsPanel::CloseClicked, this, &QDialog::close);
    resize(960, 900);
    UpdateControls();
}

FleetWindow::~FleetWindow() = default;

bool FleetWindow::Running() const { return run_->Running(); }

std::vector<FleetLane*> FleetWindow::Lanes() const { return run_->Lanes(); }

void FleetWindow::ShowFleet() {
    if (!Running()) run_->ListBoards(options_.ports ? options_.ports() : PortTable{});
    UpdateControls();
    show();
    raise();
    activateWindow();
}

void FleetWindow::PortsChanged() {
    if (Running()) return;
    run_->ListBoards(options_.ports ? options_.ports() : PortTable{}, /*keepTicks=*/true);
    UpdateControls();
}

void FleetWindow::closeEvent(QCloseEvent* event) {
    run_->Finish();
    QDialog::closeEvent(event);
}

void FleetWindow::LoadFolder(const std::filesystem::path& folder) {
    if (const auto error = folder_.Open(folder)) {
        dialogs_.ShowOver(this, FleetRefusal(*error));
        return;
    }
    plan_->ShowFolder(folder, *folder_.Plan());
    ShowResults();
    UpdateControls();
}

void FleetWindow::ShowResults() { results_->Show(folder_.Plan(), folder_.Lines()); }

void FleetWindow::Run(const fleet::PlanManifest& plan, FleetRunRequest request) {
    if (!folder_.Path()) return;
    // Nothing is programmed that the inventory cannot record.
    auto opened = inventory::Inventory::Open(inventory::Inventory::DefaultLocation());
    if (!opened.ok()) {
        dialogs_.ShowOver(this, FleetRefusal(fleet::NoInventoryText(opened.error)));
        return;
    }
    if (run_->Start(*folder_.Path(), plan, std::move(*opened.value), std::move(request)))
        UpdateControls();
}

void FleetWindow::WriteAnyway(const std::string& label, std::size_t board) {
    if (Running() || !folder_.Plan()) return;
    const fleet::PlanManifest only = fleet::OnlyPager(*folder_.Plan(), label);
    if (only.pagers.empty()) return;
    Run(only, {{only.pagers.front().line}, board});
}

void FleetWindow::Retry() {
    const std::optional<std::size_t> row = results_->Selected();
    if (!row || !folder_.Plan()) return;
    const std::string label = folder_.Lines()[*row].label;
    if (fleet::CanRetry(*folder_.Plan(), folder_.Lines(), label))
        Run(fleet::OnlyPager(*folder_.Plan(), label));
}

void FleetWindow::RunEnded(const fleet::RunSummary& summary) {
    folder_.ReadReportAgain();
    ShowResults();
    UpdateControls();
    if (!summary.startError.empty()) dialogs_.ShowOver(this, FleetRefusal(summary.startError));
    if (!summary.reportError.empty()) dialogs_.ShowOver(this, FleetRefusal(summary.reportError));
}

void FleetWindow::UpdateControls() {
    fleet::ScreenState state;
    state.planReady = plan_->Ready();
    state.planFolder = folder_.Plan().has_value();
    state.running = Running();
    state.boardsChecked = run_->BoardsTicked();
    const std::optional<std::size_t> row = results_->Selected();
    if (row && folder_.Plan() && *row < folder_.Lines().size())
        state.retryable =
            fleet::CanRetry(*folder_.Plan(), folder_.Lines(), folder_.Lines()[*row].label);
    const fleet::ScreenControls controls = fleet::ControlsFor(state);
    plan_->Enable(controls.choose, controls.makePlan);
    run_->Enable(controls.choose, controls.run, controls.stop);
    results_->Enable(controls.retry, controls.openFolder && folder_.HasReport(),
                     controls.openFolder);
}

void FleetWindow::Open(const std::filesystem::path& path, FolderPathBox::Kind kind) {
    const QString text =
        QString::fromStdString(std::filesystem::absolute(path).lexically_normal().string());
    if (!openUrl || !openUrl(QUrl::fromLocalFile(text))) pathBox_->ShowPath(kind, text);
}

}  // namespace mk843nb
