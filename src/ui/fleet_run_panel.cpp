#include "ui/fleet_run_panel.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScrollArea>
#include <QThread>
#include <QVBoxLayout>
#include <set>

#include "files/backup_store.h"
#include "fleet_run/fleet_screen.h"
#include "ui/fleet_lane.h"
#include "ui/fleet_view_parts.h"
#include "ui/window_run_observer.h"

namespace mk843nb {

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

FleetRunPanel::FleetRunPanel(FleetRunHooks hooks, QWidget* parent)
    : QGroupBox(QStringLiteral("Run"), parent), hooks_(std::move(hooks)) {
    boards_ = new QListWidget(this);
    boards_->setObjectName(QStringLiteral("FleetBoards"));
    boards_->setMaximumHeight(80);
    handsFree_ = new QCheckBox(QStringLiteral("&Hands-free"), this);
    handsFree_->setObjectName(QStringLiteral("FleetHandsFree"));
    handsFree_->setToolTip(QStringLiteral(
        "No prompts: each board programs a pager as soon as it is placed, then waits until it "
        "is taken off before the next one"));
    again_ = new QCheckBox(QStringLiteral("Write &again pagers already written"), this);
    again_->setObjectName(QStringLiteral("FleetAgain"));
    run_ = FleetButton(this, "FleetRun", QStringLiteral("R&un"));
    stop_ = FleetButton(this, "FleetStop", QStringLiteral("&Stop"));
    auto* lanes = new QWidget;
    laneBox_ = new QVBoxLayout(lanes);
    laneBox_->setContentsMargins(0, 0, 0, 0);
    laneBox_->addStretch();
    auto* laneScroll = new QScrollArea(this);
    laneScroll->setObjectName(QStringLiteral("FleetLanes"));
    laneScroll->setWidgetResizable(true);
    laneScroll->setFrameShape(QFrame::NoFrame);
    laneScroll->setWidget(lanes);
    laneScroll->setMinimumHeight(140);
    auto* switches = new QHBoxLayout;
    switches->addWidget(handsFree_);
    switches->addWidget(again_);
    switches->addStretch();
    switches->addWidget(run_);
    switches->addWidget(stop_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Boards:"), this));
    layout->addWidget(boards_);
    layout->addLayout(switches);
    layout->addWidget(laneScroll, 1);

    connect(boards_, &QListWidget::itemChanged, this, &FleetRunPanel::Changed);
    connect(run_, &QPushButton::clicked, this, &FleetRunPanel::RunClicked);
    connect(stop_, &QPushButton::clicked, this, &FleetRunPanel::Stop);
}

FleetRunPanel::~FleetRunPanel() { Abandon(); }

void FleetRunPanel::ListBoards(const PortTable& ports, bool keepTicks) {
    std::set<std::string> ticked;
    if (keepTicks)
        for (const std::size_t board : TickedBoards()) ticked.insert(ports_.entries[board].name);
    ports_ = ports;
    boards_->clear();
    for (const PortEntry& entry : ports_.entries) {
        auto* item = new QListWidgetItem(Q(PortLabel(entry)), boards_);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(ticked.count(entry.name) != 0 ? Qt::Checked : Qt::Unchecked);
    }
    if (!ports_.entries.empty()) boards_->setCurrentRow(0);
}

std::vector<std::size_t> FleetRunPanel::TickedBoards() const {
    std::vector<std::size_t> ticked;
    for (int row = 0; row < boards_->count(); ++row)
        if (boards_->item(row)->checkState() == Qt::Checked)
            ticked.push_back(static_cast<std::size_t>(row));
    return ticked;
}

void FleetRunPanel::Enable(bool choose, bool run, bool stop) {
    for (QWidget* w : {static_cast<QWidget*>(boards_), static_cast<QWidget*>(handsFree_),
                       static_cast<QWidget*>(again_)})
        w->setEnabled(choose);
    run_->setEnabled(run);
    stop_->setEnabled(stop && !stopRequested_);
    for (FleetLane* lane : lanes_) lane->AllowWriteAnyway(choose);
}

void FleetRunPanel::MakeLanes() {
    for (FleetLane* lane : lanes_) delete lane;
    lanes_.clear();
    for (std::size_t i = 0; i < laneBoards_.size(); ++i) {
        auto* lane =
            new FleetLane(static_cast<int>(i) + 1, Q(PortLabel(ports_.entries[laneBoards_[i]])));
        laneBox_->insertWidget(laneBox_->count() - 1, lane);  // above the stretch
        lanes_.push_back(lane);
        connect(lane, &FleetLane::Answered, this,
                [this, i](fleet::PromptAnswer answer) { Answer(i, answer); });
        connect(lane, &FleetLane::WriteAnywayClicked, this,
                [this, board = laneBoards_[i]](const std::string& label) {
                    if (!Running()) emit WriteAnyway(label, board);
                });
        lane->Show(fleet::DoingText(runHandsFree_ ? fleet::BoardDoing::WaitingForPager
                                                  : fleet::BoardDoing::Idle),
                   0);
    }
}

bool FleetRunPanel::Start(const std::filesystem::path& folder, const fleet::PlanManifest& plan,
                          std::unique_ptr<inventory::Inventory> inventory,
                          FleetRunRequest request) {
    if (Running()) return false;
    if (request.board && *request.board < ports_.entries.size())
        laneBoards_ = {*request.board};
    else
        laneBoards_ = TickedBoards();
    if (laneBoards_.empty()) return false;
    fleet::RunOptions run;
    for (const std::size_t board : laneBoards_) run.ports.push_back(ports_.entries[board].name);
    runHandsFree_ = handsFree_->isChecked();
    run.handsFree = runHandsFree_;
    run.prompt = !runHandsFree_;
    run.again = again_->isChecked();
    run.boardsOnDemand = true;
    run.channels = hooks_.channels;
    run.clock = hooks_.clock;
    run.writeAnyway = std::move(request.writeAnyway);
    if (hooks_.operatorName) run.identity.operatorName = hooks_.operatorName();
    inventory_ = std::move(inventory);
    run.inventory = inventory_.get();
    MakeLanes();

    // The main window lets go of its port: a board's session opens it on its own.
    if (hooks_.releasePorts) hooks_.releasePorts();
    stopRequested_ = false;
    observer_ = std::make_unique<WindowRunObserver>(
        this, run.ports,
        WindowRunObserver::Hooks{
            [this](std::size_t lane, const std::string& label) { ShowPrompt(lane, label); },
            [this](const fleet::ReportLine& line, const fleet::RunSnapshot& snapshot) {
                emit PagerEnded(line);
                ShowSnapshot(snapshot);
            },
            [this](const fleet::RunSnapshot& snapshot) { ShowSnapshot(snapshot); },
            [this](std::size_t lane, const std::string& label, const std::string& text) {
                if (lane < lanes_.size()) lanes_[lane]->Refuse(label, Q(text));
            }});
    auto shared = std::make_shared<fleet::PlanManifest>(plan);
    thread_ = QThread::create([this, folder, shared, run] {
        fleet::FleetReport report(folder);
        if (auto error = report.Load()) {
            summary_.reportError = fleet::FleetReport::Unusable(*error);
            return;
        }
        BackupStore backups(BackupStore::DefaultFolder());
        summary_ =
            fleet::RunFleet(folder, *shared, run, report, backups, *observer_, stopRequested_);
    });
    connect(thread_, &QThread::finished, this, [this, thread = thread_] {
        if (thread_ == thread) End();
    });
    summary_ = {};
    thread_->start();
    return true;
}

void FleetRunPanel::Stop() {
    stopRequested_ = true;
    if (observer_) observer_->Cancel();
    for (FleetLane* lane : lanes_) lane->EndAsking();
    emit Changed();
}

void FleetRunPanel::Finish() {
    if (thread_ == nullptr) return;
    Stop();
    thread_->wait();
    End();
}

void FleetRunPanel::Abandon() {
    if (thread_ == nullptr) return;
    stopRequested_ = true;
    if (observer_) observer_->Cancel();
    thread_->wait();
    delete thread_;
    thread_ = nullptr;
    inventory_.reset();
}

void FleetRunPanel::End() {
    thread_->wait();
    delete thread_;
    thread_ = nullptr;
    observer_.reset();
    inventory_.reset();
    for (FleetLane* lane : lanes_) {
        lane->EndAsking();
        lane->Show(
            fleet::DoingText(stopRequested_ ? fleet::BoardDoing::Stopped : fleet::BoardDoing::Done),
            0);
    }
    emit RunEnded(summary_);
}

void FleetRunPanel::ShowPrompt(std::size_t lane, const std::string& label) {
    // A prompt that reaches the window after Stop has already been answered Stop.
    if (lane >= lanes_.size() || observer_ == nullptr || stopRequested_) return;
    const PortEntry& port = ports_.entries[laneBoards_[lane]];
    const int board = static_cast<int>(lane) + 1;
    lanes_[lane]->Show(fleet::LaneText({port.name, label, fleet::BoardDoing::Waiting}, false), 0);
    lanes_[lane]->Ask(Q(label.empty() ? fleet::ReadyText(board, PortLabel(port))
                                      : fleet::PromptText(label, board, PortLabel(port))));
}

void FleetRunPanel::Answer(std::size_t lane, fleet::PromptAnswer answer) {
    if (lane >= lanes_.size() || observer_ == nullptr) return;
    lanes_[lane]->EndAsking();
    observer_->Answer(lane, answer);
}

void FleetRunPanel::ShowSnapshot(const fleet::RunSnapshot& snapshot) {
    for (std::size_t i = 0; i < lanes_.size() && i < snapshot.boards.size(); ++i)
        lanes_[i]->Show(fleet::LaneText(snapshot.boards[i], runHandsFree_),
                        fleet::LaneStep(snapshot.boards[i]));
}

}  // namespace mk843nb
