#include "ui/fleet_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QColor>
#include <QDesktopServices>
#include <QDir>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QSplitter>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QThread>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <system_error>

#include "files/backup_store.h"
#include "files/table_io.h"
#include "fleet/plan_sources_read.h"
#include "fleet/plan_to_run.h"
#include "fleet_run/fleet_screen.h"
#include "ui/app_settings.h"
#include "ui/dialog_service.h"
#include "ui/folder_path_box.h"

namespace mk843nb {

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

constexpr const char* kPlanFilter = "Fleet plan (plan.json)|plan.json";

Message Refusal(std::string text) { return {MessageKind::Exclamation, std::move(text)}; }

void FillRow(QTableWidget* table, int row, const std::vector<std::string>& cells) {
    for (int column = 0; column < static_cast<int>(cells.size()); ++column) {
        auto* item = new QTableWidgetItem(Q(cells[static_cast<std::size_t>(column)]));
        item->setToolTip(item->text());
        table->setItem(row, column, item);
    }
}

QTableWidget* MakeTable(QWidget* parent, const char* name, const QStringList& heads) {
    auto* table = new QTableWidget(0, static_cast<int>(heads.size()), parent);
    table->setObjectName(QString::fromLatin1(name));
    table->setHorizontalHeaderLabels(heads);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->verticalHeader()->setVisible(false);
    table->horizontalHeader()->setStretchLastSection(true);
    table->setWordWrap(true);
    return table;
}

QPushButton* Button(QWidget* parent, const char* name, const QString& caption) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    return button;
}

}  // namespace

// The run's side of the window: called from the boards' threads and the run's
// own, it hands everything to the window's thread; a prompt waits there for
// the answer of the lane's buttons (or for the run to be stopped).
class WindowRunObserver : public fleet::RunObserver {
public:
    WindowRunObserver(FleetWindow* window, std::vector<std::string> ports)
        : window_(window), ports_(std::move(ports)) {}

    fleet::PromptAnswer Prompt(const fleet::PlanEntry& pager, int, int,
                               const std::string& port) override {
        const auto lane = static_cast<std::size_t>(std::find(ports_.begin(), ports_.end(), port) -
                                                   ports_.begin());
        std::unique_lock lock(mutex_);
        if (cancelled_) return fleet::PromptAnswer::Stop;
        answer_.reset();
        QMetaObject::invokeMethod(
            window_,
            [window = window_, lane, label = pager.label] { window->ShowPrompt(lane, label); },
            Qt::QueuedConnection);
        answered_.wait(lock, [this] { return answer_.has_value() || cancelled_; });
        return answer_ ? *answer_ : fleet::PromptAnswer::Stop;
    }

    void PagerEnded(const fleet::ReportLine& line, const fleet::RunSnapshot& snapshot) override {
        QMetaObject::invokeMethod(
            window_, [window = window_, line, snapshot] { window->PagerEnded(line, snapshot); },
            Qt::QueuedConnection);
    }

    void Progress(const fleet::RunSnapshot& snapshot) override {
        QMetaObject::invokeMethod(
            window_, [window = window_, snapshot] { window->ShowSnapshot(snapshot); },
            Qt::QueuedConnection);
    }

    void Answer(fleet::PromptAnswer answer) {
        std::lock_guard lock(mutex_);
        answer_ = answer;
        answered_.notify_all();
    }

    // Every prompt open now or later answers Stop.
    void Cancel() {
        std::lock_guard lock(mutex_);
        cancelled_ = true;
        answered_.notify_all();
    }

private:
    FleetWindow* window_;
    std::vector<std::string> ports_;
    std::mutex mutex_;
    std::condition_variable answered_;
    std::optional<fleet::PromptAnswer> answer_;
    bool cancelled_ = false;
};

FleetLane::FleetLane(int number, const QString& port, QWidget* parent) : QFrame(parent) {
    setObjectName(QStringLiteral("Lane%1").arg(number));
    setFrameShape(QFrame::StyledPanel);
    auto* title = new QLabel(
        QStringLiteral("<b>Board %1</b>: %2").arg(number).arg(port.toHtmlEscaped()), this);
    state_ = new QLabel(Q(fleet::DoingText(fleet::BoardDoing::Idle)), this);
    state_->setObjectName(QStringLiteral("LaneState"));
    progress_ = new QProgressBar(this);
    progress_->setObjectName(QStringLiteral("LaneProgress"));
    progress_->setRange(0, fleet::kLaneSteps);
    progress_->setTextVisible(false);
    progress_->setMaximumWidth(120);
    prompt_ = new QLabel(this);
    prompt_->setObjectName(QStringLiteral("LanePrompt"));
    prompt_->setWordWrap(true);
    QFont bold = prompt_->font();
    bold.setBold(true);
    prompt_->setFont(bold);
    go_ = Button(this, "LaneGo", QStringLiteral("Go"));
    skip_ = Button(this, "LaneSkip", QStringLiteral("Skip"));
    stop_ = Button(this, "LaneStop", QStringLiteral("Stop"));

    auto* top = new QHBoxLayout;
    top->addWidget(title);
    top->addWidget(state_, 1);
    top->addWidget(progress_);
    auto* asking = new QHBoxLayout;
    asking->addWidget(prompt_, 1);
    asking->addWidget(go_);
    asking->addWidget(skip_);
    asking->addWidget(stop_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 4, 6, 4);
    layout->addLayout(top);
    layout->addLayout(asking);
    EndAsking();
}

void FleetLane::Show(const std::string& text, int step) {
    state_->setText(Q(text));
    progress_->setValue(step);
}

void FleetLane::Ask(const QString& text) {
    prompt_->setText(text);
    for (QWidget* w : {static_cast<QWidget*>(prompt_), static_cast<QWidget*>(go_),
                       static_cast<QWidget*>(skip_), static_cast<QWidget*>(stop_)})
        w->setVisible(true);
    go_->setFocus();
}

void FleetLane::EndAsking() {
    prompt_->clear();
    for (QWidget* w : {static_cast<QWidget*>(prompt_), static_cast<QWidget*>(go_),
                       static_cast<QWidget*>(skip_), static_cast<QWidget*>(stop_)})
        w->setVisible(false);
}

FleetWindow::FleetWindow(DialogService& dialogs, FleetWindowOptions options, QWidget* parent)
    : QDialog(parent),
      openUrl(&QDesktopServices::openUrl),
      dialogs_(dialogs),
      options_(std::move(options)),
      pathBox_(new FolderPathBox(this)) {
    setObjectName(QStringLiteral("FleetWindow"));
    setWindowTitle(QStringLiteral("Fleet"));

    // The plan: roster, template, the rows.
    auto* planBox = new QGroupBox(QStringLiteral("Plan"), this);
    roster_ = new QLineEdit(planBox);
    roster_->setObjectName(QStringLiteral("FleetRosterPath"));
    roster_->setReadOnly(true);
    rosterButton_ = Button(planBox, "FleetRosterButton", QStringLiteral("&Roster…"));
    windowTemplate_ = new QRadioButton(QStringLiteral("This &window's table"), planBox);
    windowTemplate_->setObjectName(QStringLiteral("FleetWindowTemplate"));
    windowTemplate_->setChecked(true);
    fileTemplate_ = new QRadioButton(QStringLiteral("Table &file:"), planBox);
    fileTemplate_->setObjectName(QStringLiteral("FleetFileTemplate"));
    templatePath_ = new QLineEdit(planBox);
    templatePath_->setObjectName(QStringLiteral("FleetTemplatePath"));
    templatePath_->setReadOnly(true);
    templateButton_ = Button(planBox, "FleetTemplateButton", QStringLiteral("&Template…"));
    makePlan_ = Button(planBox, "FleetMakePlan", QStringLiteral("&Make plan…"));
    openPlan_ = Button(planBox, "FleetOpenPlan", QStringLiteral("&Open plan…"));
    plan_ =
        MakeTable(planBox, "FleetPlanTable",
                  {QStringLiteral("Label"), QStringLiteral("Changes"), QStringLiteral("Problems")});
    strict_ = new QCheckBox(QStringLiteral("Stri&ct: warnings refuse the plan"), planBox);
    strict_->setObjectName(QStringLiteral("FleetStrict"));
    exact_ = new QCheckBox(QStringLiteral("E&xact tones: a snapped tone refuses its row"), planBox);
    exact_->setObjectName(QStringLiteral("FleetExact"));
    keep_ = new QLineEdit(QString::fromStdString([] {
                              std::string fields;
                              for (const std::string& f : fleet::kDefaultKeptFields)
                                  fields += (fields.empty() ? "" : ", ") + f;
                              return fields;
                          }()),
                          planBox);
    keep_->setObjectName(QStringLiteral("FleetKeep"));
    keep_->setToolTip(QStringLiteral(
        "The fields each pager keeps from its own memory when its row leaves them empty, "
        "separated by commas; \"none\" keeps nothing"));
    planNote_ = new QLabel(planBox);
    planNote_->setObjectName(QStringLiteral("FleetPlanNote"));
    planNote_->setWordWrap(true);
    planNote_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* rosterRow = new QHBoxLayout;
    rosterRow->addWidget(new QLabel(QStringLiteral("Roster:"), planBox));
    rosterRow->addWidget(roster_, 1);
    rosterRow->addWidget(rosterButton_);
    auto* templateRow = new QHBoxLayout;
    templateRow->addWidget(new QLabel(QStringLiteral("Template:"), planBox));
    templateRow->addWidget(windowTemplate_);
    templateRow->addWidget(fileTemplate_);
    templateRow->addWidget(templatePath_, 1);
    templateRow->addWidget(templateButton_);
    auto* optionsRow = new QHBoxLayout;
    optionsRow->addWidget(strict_);
    optionsRow->addWidget(exact_);
    auto* keepLabel = new QLabel(QStringLiteral("&Keep levels:"), planBox);
    keepLabel->setBuddy(keep_);
    optionsRow->addWidget(keepLabel);
    optionsRow->addWidget(keep_, 1);
    auto* planButtons = new QHBoxLayout;
    planButtons->addWidget(makePlan_);
    planButtons->addWidget(openPlan_);
    planButtons->addStretch();
    auto* planLayout = new QVBoxLayout(planBox);
    planLayout->addLayout(rosterRow);
    planLayout->addLayout(templateRow);
    planLayout->addLayout(optionsRow);
    planLayout->addWidget(plan_, 1);
    planLayout->addWidget(planNote_);
    planLayout->addLayout(planButtons);

    // The run: boards, switches, lanes.
    auto* runBox = new QGroupBox(QStringLiteral("Run"), this);
    boards_ = new QListWidget(runBox);
    boards_->setObjectName(QStringLiteral("FleetBoards"));
    boards_->setMaximumHeight(80);
    handsFree_ = new QCheckBox(QStringLiteral("&Hands-free"), runBox);
    handsFree_->setObjectName(QStringLiteral("FleetHandsFree"));
    handsFree_->setToolTip(QStringLiteral(
        "No prompts: each board programs a pager as soon as it is placed, then waits until it "
        "is taken off before the next one"));
    again_ = new QCheckBox(QStringLiteral("Write &again pagers already written"), runBox);
    again_->setObjectName(QStringLiteral("FleetAgain"));
    run_ = Button(runBox, "FleetRun", QStringLiteral("R&un"));
    stop_ = Button(runBox, "FleetStop", QStringLiteral("&Stop"));
    auto* lanes = new QWidget;
    laneBox_ = new QVBoxLayout(lanes);
    laneBox_->setContentsMargins(0, 0, 0, 0);
    laneBox_->addStretch();
    auto* laneScroll = new QScrollArea(runBox);
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
    auto* runLayout = new QVBoxLayout(runBox);
    runLayout->addWidget(new QLabel(QStringLiteral("Boards:"), runBox));
    runLayout->addWidget(boards_);
    runLayout->addLayout(switches);
    runLayout->addWidget(laneScroll, 1);

    // The results.
    auto* resultBox = new QGroupBox(QStringLiteral("Results"), this);
    results_ =
        MakeTable(resultBox, "FleetResults",
                  {QStringLiteral("Label"), QStringLiteral("Board"), QStringLiteral("Result"),
                   QStringLiteral("Seconds"), QStringLiteral("Backup"), QStringLiteral("Message")});
    standing_ = new QLabel(resultBox);
    standing_->setObjectName(QStringLiteral("FleetStanding"));
    retry_ = Button(resultBox, "FleetRetry", QStringLiteral("Re&try"));
    openReport_ = Button(resultBox, "FleetOpenReport", QStringLiteral("Open r&eport"));
    openFolder_ = Button(resultBox, "FleetOpenFolder", QStringLiteral("Open plan &folder"));
    auto* close = Button(resultBox, "FleetClose", QStringLiteral("&Close"));
    auto* resultButtons = new QHBoxLayout;
    resultButtons->addWidget(standing_, 1);
    resultButtons->addWidget(retry_);
    resultButtons->addWidget(openReport_);
    resultButtons->addWidget(openFolder_);
    resultButtons->addWidget(close);
    auto* resultLayout = new QVBoxLayout(resultBox);
    resultLayout->addWidget(results_, 1);
    resultLayout->addLayout(resultButtons);

    // The user gives the plan, the lanes or the results more room as the day goes.
    auto* parts = new QSplitter(Qt::Vertical, this);
    parts->setObjectName(QStringLiteral("FleetParts"));
    parts->setChildrenCollapsible(false);
    parts->addWidget(planBox);
    parts->addWidget(runBox);
    parts->addWidget(resultBox);
    parts->setStretchFactor(0, 2);
    parts->setStretchFactor(1, 3);
    parts->setStretchFactor(2, 2);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(parts);

    connect(rosterButton_, &QPushButton::clicked, this, &FleetWindow::ChooseRoster);
    connect(templateButton_, &QPushButton::clicked, this, &FleetWindow::ChooseTemplateFile);
    connect(windowTemplate_, &QRadioButton::toggled, this, [this] { BuildPlan(); });
    connect(strict_, &QCheckBox::toggled, this, [this] { BuildPlan(); });
    connect(exact_, &QCheckBox::toggled, this, [this] { BuildPlan(); });
    connect(keep_, &QLineEdit::editingFinished, this, [this] { BuildPlan(); });
    connect(makePlan_, &QPushButton::clicked, this, &FleetWindow::MakePlan);
    connect(openPlan_, &QPushButton::clicked, this, &FleetWindow::OpenPlan);
    connect(boards_, &QListWidget::itemChanged, this, [this] { UpdateControls(); });
    connect(run_, &QPushButton::clicked, this, [this] {
        if (manifest_) Run(*manifest_);
    });
    connect(stop_, &QPushButton::clicked, this, &FleetWindow::Stop);
    connect(retry_, &QPushButton::clicked, this, &FleetWindow::Retry);
    connect(results_, &QTableWidget::itemSelectionChanged, this, [this] { UpdateControls(); });
    connect(openReport_, &QPushButton::clicked, this, [this] {
        // A report deleted since the button was enabled is no file to open.
        if (HasReport())
            Open(*folder_ / fleet::kReportCsvName, FolderPathBox::Kind::Report);
        else
            UpdateControls();
    });
    connect(openFolder_, &QPushButton::clicked, this, [this] {
        if (folder_) Open(*folder_, FolderPathBox::Kind::PlanFolder);
    });
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    resize(960, 900);
    UpdateControls();
}

FleetWindow::~FleetWindow() {
    if (thread_ != nullptr) {
        Stop();
        thread_->wait();
        delete thread_;
        thread_ = nullptr;
    }
}

void FleetWindow::ShowFleet() {
    if (!Running()) {
        ports_ = options_.ports ? options_.ports() : PortTable{};
        boards_->clear();
        for (const PortEntry& entry : ports_.entries) {
            auto* item = new QListWidgetItem(Q(PortLabel(entry)), boards_);
            item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
            item->setCheckState(Qt::Unchecked);
        }
        if (!ports_.entries.empty()) boards_->setCurrentRow(0);
    }
    UpdateControls();
    show();
    raise();
    activateWindow();
}

void FleetWindow::closeEvent(QCloseEvent* event) {
    // A pager being programmed is finished and recorded first, as Ctrl+C does on the command line.
    if (thread_ != nullptr) {
        Stop();
        thread_->wait();
        RunEnded();
    }
    QDialog::closeEvent(event);
}

void FleetWindow::ChooseRoster() {
    FileDialogRequest request;
    request.filter = "Rosters (*.csv)|*.csv|All files (*)|*";
    request.defaultExt = "csv";
    request.fileMustExist = true;
    request.tableFolder = false;
    request.initialDir = QDir::currentPath().toStdString();
    const auto path = dialogs_.ChooseOpenFile(request);
    if (!path) return;
    rosterFile_ = *path;
    roster_->setText(Q(rosterFile_));
    BuildPlan();
}

void FleetWindow::ChooseTemplateFile() {
    FileDialogRequest request;
    request.fileMustExist = true;
    request.initialDir = QDir::currentPath().toStdString();
    const auto path = dialogs_.ChooseOpenFile(request);
    if (!path) return;
    templateFile_ = *path;
    templatePath_->setText(Q(templateFile_));
    if (fileTemplate_->isChecked())
        BuildPlan();
    else
        fileTemplate_->setChecked(true);  // toggling builds the plan
}

std::optional<std::filesystem::path> FleetWindow::TemplateFile(
    const std::filesystem::path& windowCopy) {
    if (fileTemplate_->isChecked()) {
        if (templateFile_.empty()) return std::nullopt;
        return std::filesystem::path(templateFile_);
    }
    if (!options_.windowImage) return std::nullopt;
    std::error_code error;
    std::filesystem::create_directories(windowCopy.parent_path(), error);
    if (!WriteTableFile(windowCopy, options_.windowImage())) {
        dialogs_.ShowOver(this, Refusal(windowCopy.string() + " cannot be written"));
        return std::nullopt;
    }
    return windowCopy;
}

void FleetWindow::BuildPlan() {
    built_.reset();
    rosterParse_.reset();
    if (rosterFile_.empty()) return UpdateControls();
    // A new plan in the making: the folder shown before is left.
    folder_.reset();
    manifest_.reset();
    lines_.clear();
    ShowResults();
    QTemporaryDir scratch;
    const auto templatePath =
        TemplateFile(std::filesystem::path(scratch.path().toStdString()) / "window.tbl");
    rows_.clear();
    std::string note;
    // Without options the note already says why.
    const std::optional<fleet::PlanOptions> options = ChosenOptions(note);
    std::string why;
    const std::optional<fleet::PlanSources> sources =
        options && templatePath
            ? fleet::ReadPlanSources({*templatePath, templatePath->string()},
                                     {rosterFile_, rosterFile_}, options->strict, why)
            : std::nullopt;
    if (options && !templatePath) {
        note = "Choose the template's table file";
    } else if (options && !sources) {
        note = why;
    } else if (options) {
        rosterParse_ = fleet::ParseRoster(sources->rosterBytes);
        built_ = fleet::BuildFleetPlan(*templatePath, *rosterParse_, *options);
        rows_ = fleet::PlanRowsOf(*rosterParse_, *built_, ReadTableBytes(*templatePath)->bytes);
        for (const std::string& problem : fleet::GeneralProblems(*rosterParse_, *built_))
            note += (note.empty() ? "" : "\n") + problem;
        const std::size_t refused = built_->errors.size();
        note += (note.empty() ? "" : "\n") + std::to_string(built_->pagers.size()) +
                (built_->pagers.size() == 1 ? " pager" : " pagers");
        if (refused > 0)
            note += "; " + std::to_string(refused) + (refused == 1 ? " refusal" : " refusals") +
                    ": no plan can be made until the roster is corrected";
        if (!built_->warnings.empty())
            note += "; " + std::to_string(built_->warnings.size()) +
                    (built_->warnings.size() == 1 ? " warning" : " warnings");
    }
    planNote_->setText(Q(note));
    ShowPlanRows();
    UpdateControls();
}

void FleetWindow::ShowPlanRows() {
    plan_->clearContents();
    plan_->setRowCount(static_cast<int>(rows_.size()));
    for (int row = 0; row < static_cast<int>(rows_.size()); ++row) {
        const fleet::PlanRow& shown = rows_[static_cast<std::size_t>(row)];
        FillRow(plan_, row, {shown.label, shown.changes, shown.problems});
        if (shown.refused)
            for (int column = 0; column < 3; ++column)
                plan_->item(row, column)->setForeground(QColor(Qt::red));
    }
    plan_->resizeColumnsToContents();
    plan_->resizeRowsToContents();
}

void FleetWindow::MakePlan() {
    if (!built_ || !built_->errors.empty()) return;
    FileDialogRequest request;
    request.fileName = fleet::kPlanFileName;
    request.filter = kPlanFilter;
    request.defaultExt = "json";
    request.tableFolder = false;
    request.initialDir = QDir::currentPath().toStdString();
    const auto chosen = dialogs_.ChooseSaveFile(request);
    if (!chosen) return;
    const std::filesystem::path folder = std::filesystem::path(*chosen).parent_path();
    // The window's table is kept with the plan, as the template it was made from.
    const auto templatePath = TemplateFile(folder / "template" / "window.tbl");
    if (!templatePath) return;
    std::string why;
    const std::optional<fleet::PlanOptions> options = ChosenOptions(why);
    if (!options) {
        dialogs_.ShowOver(this, Refusal(why));
        return;
    }
    const std::optional<fleet::PlanSources> sources = fleet::ReadPlanSources(
        {*templatePath, templatePath->string()}, {rosterFile_, rosterFile_}, options->strict, why);
    if (!sources) {
        dialogs_.ShowOver(this, Refusal(why));
        return;
    }
    // Planned again from the files as they are now: they may have changed since shown.
    rosterParse_ = fleet::ParseRoster(sources->rosterBytes);
    built_ = fleet::BuildFleetPlan(*templatePath, *rosterParse_, *options);
    if (!built_->errors.empty()) {
        BuildPlan();
        dialogs_.ShowOver(this, Refusal("The roster or the template changed and the plan has "
                                        "refusals now; nothing was written"));
        return;
    }
    if (auto error = fleet::WritePlanFolder(folder, *built_, *sources)) {
        dialogs_.ShowOver(this, Refusal(*error));
        return;
    }
    LoadFolder(folder);
}

void FleetWindow::OpenPlan() {
    FileDialogRequest request;
    request.filter = kPlanFilter;
    request.defaultExt = "json";
    request.fileMustExist = true;
    request.tableFolder = false;
    // A plan is most often opened again where the last one was, the next day.
    const QString last = AppSettings().LastPlanFolder();
    request.initialDir =
        (!last.isEmpty() && QDir(last).exists() ? last : QDir::currentPath()).toStdString();
    const auto chosen = dialogs_.ChooseOpenFile(request);
    if (!chosen) return;
    LoadFolder(std::filesystem::path(*chosen).parent_path());
}

bool FleetWindow::LoadFolder(const std::filesystem::path& folder) {
    const fleet::PlanToRun opened = fleet::OpenPlanToRun(folder);
    if (!opened.manifest) {
        dialogs_.ShowOver(this, Refusal(opened.error));
        return false;
    }
    folder_ = folder;
    AppSettings().SetLastPlanFolder(
        Q(std::filesystem::absolute(folder).lexically_normal().string()));
    manifest_ = opened.manifest;
    lines_ = opened.report->Lines();
    rows_ = fleet::PlanRowsOf(folder, *manifest_);
    planNote_->setText(Q("Plan folder: " + std::filesystem::absolute(folder).string()));
    ShowPlanRows();
    ShowResults();
    UpdateControls();
    return true;
}

void FleetWindow::ShowResults() {
    results_->clearContents();
    results_->setRowCount(static_cast<int>(lines_.size()));
    for (int row = 0; row < static_cast<int>(lines_.size()); ++row) {
        const fleet::ResultRow shown = fleet::ResultRowOf(lines_[static_cast<std::size_t>(row)]);
        FillRow(results_, row,
                {shown.label, shown.board, shown.result, shown.seconds,
                 std::filesystem::path(shown.backup).filename().string(), shown.message});
        results_->item(row, 4)->setToolTip(Q(shown.backup));
    }
    results_->resizeColumnsToContents();
    standing_->setText(manifest_ ? Q(fleet::PlanStanding(*manifest_, lines_)) : QString());
    if (!lines_.empty()) results_->scrollToBottom();
}

std::vector<std::size_t> FleetWindow::CheckedBoards() const {
    std::vector<std::size_t> checked;
    for (int row = 0; row < boards_->count(); ++row)
        if (boards_->item(row)->checkState() == Qt::Checked)
            checked.push_back(static_cast<std::size_t>(row));
    return checked;
}

void FleetWindow::Run(const fleet::PlanManifest& plan) {
    if (!folder_ || Running()) return;
    laneBoards_ = CheckedBoards();
    if (laneBoards_.empty()) return;
    fleet::RunOptions run;
    for (const std::size_t board : laneBoards_) run.ports.push_back(ports_.entries[board].name);
    runHandsFree_ = handsFree_->isChecked();
    run.handsFree = runHandsFree_;
    run.prompt = !runHandsFree_;
    run.again = again_->isChecked();
    run.channels = options_.channels;
    run.clock = options_.clock;

    for (FleetLane* lane : lanes_) delete lane;
    lanes_.clear();
    for (std::size_t i = 0; i < laneBoards_.size(); ++i) {
        auto* lane =
            new FleetLane(static_cast<int>(i) + 1, Q(PortLabel(ports_.entries[laneBoards_[i]])));
        laneBox_->insertWidget(laneBox_->count() - 1, lane);  // above the stretch
        lanes_.push_back(lane);
        connect(lane->Go(), &QPushButton::clicked, this,
                [this] { Answer(fleet::PromptAnswer::Go); });
        connect(lane->Skip(), &QPushButton::clicked, this,
                [this] { Answer(fleet::PromptAnswer::Skip); });
        connect(lane->StopButton(), &QPushButton::clicked, this,
                [this] { Answer(fleet::PromptAnswer::Stop); });
        lane->Show(fleet::DoingText(runHandsFree_ ? fleet::BoardDoing::WaitingForPager
                                                  : fleet::BoardDoing::Idle),
                   0);
    }

    // The main window lets go of its port: a board's session opens it on its own.
    if (options_.releasePorts) options_.releasePorts();
    stopRequested_ = false;
    observer_ = std::make_unique<WindowRunObserver>(this, run.ports);
    auto shared = std::make_shared<fleet::PlanManifest>(plan);
    thread_ = QThread::create([this, folder = *folder_, shared, run] {
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
        if (thread_ == thread) RunEnded();
    });
    summary_ = {};
    thread_->start();
    UpdateControls();
}

void FleetWindow::Retry() {
    const auto rows = results_->selectionModel()->selectedRows();
    if (rows.isEmpty() || !manifest_) return;
    const std::string label = lines_[static_cast<std::size_t>(rows.constFirst().row())].label;
    if (fleet::CanRetry(*manifest_, lines_, label)) Run(fleet::OnlyPager(*manifest_, label));
}

void FleetWindow::Stop() {
    stopRequested_ = true;
    if (observer_) observer_->Cancel();
    for (FleetLane* lane : lanes_) lane->EndAsking();
    UpdateControls();
}

void FleetWindow::RunEnded() {
    thread_->wait();
    delete thread_;
    thread_ = nullptr;
    observer_.reset();
    for (FleetLane* lane : lanes_) {
        lane->EndAsking();
        lane->Show(
            fleet::DoingText(stopRequested_ ? fleet::BoardDoing::Stopped : fleet::BoardDoing::Done),
            0);
    }
    // The report as the run left it on disk: what the command line would read.
    if (folder_) {
        fleet::FleetReport report(*folder_);
        if (!report.Load()) lines_ = report.Lines();
    }
    ShowResults();
    UpdateControls();
    if (!summary_.reportError.empty()) dialogs_.ShowOver(this, Refusal(summary_.reportError));
}

void FleetWindow::ShowPrompt(std::size_t board, const std::string& label) {
    // A prompt that reaches the window after Stop has already been answered Stop.
    if (board >= lanes_.size() || observer_ == nullptr || stopRequested_) return;
    promptLane_ = board;
    lanes_[board]->Show(
        fleet::LaneText(
            {ports_.entries[laneBoards_[board]].name, label, fleet::BoardDoing::Waiting}, false),
        0);
    lanes_[board]->Ask(Q(fleet::PromptText(label, static_cast<int>(board) + 1,
                                           PortLabel(ports_.entries[laneBoards_[board]]))));
}

void FleetWindow::Answer(fleet::PromptAnswer answer) {
    if (!promptLane_ || observer_ == nullptr) return;
    lanes_[*promptLane_]->EndAsking();
    promptLane_.reset();
    observer_->Answer(answer);
}

void FleetWindow::ShowSnapshot(const fleet::RunSnapshot& snapshot) {
    for (std::size_t i = 0; i < lanes_.size() && i < snapshot.boards.size(); ++i)
        lanes_[i]->Show(fleet::LaneText(snapshot.boards[i], runHandsFree_),
                        fleet::LaneStep(snapshot.boards[i]));
}

void FleetWindow::PagerEnded(const fleet::ReportLine& line, const fleet::RunSnapshot& snapshot) {
    lines_.push_back(line);
    ShowResults();
    ShowSnapshot(snapshot);
}

std::optional<fleet::PlanOptions> FleetWindow::ChosenOptions(std::string& why) const {
    fleet::PlanOptions options;
    options.strict = strict_->isChecked();
    options.exact = exact_->isChecked();
    options.exactName = "Exact tones ticked";  // the box, not the command line's option
    std::vector<std::string> names;
    for (const QString& name : keep_->text().split(QLatin1Char(','), Qt::SkipEmptyParts))
        if (!name.trimmed().isEmpty()) names.push_back(name.trimmed().toStdString());
    const fleet::KeepListParse keep = fleet::ParseKeepList(names, "Keep levels");
    if (!keep.error.empty()) {
        why = keep.error;
        return std::nullopt;
    }
    options.keep = keep.fields;
    return options;
}

void FleetWindow::UpdateControls() {
    fleet::ScreenState state;
    state.planReady = built_ && built_->errors.empty() && !built_->pagers.empty();
    state.planFolder = manifest_.has_value();
    state.running = Running();
    state.boardsChecked = static_cast<int>(CheckedBoards().size());
    const auto rows = results_->selectionModel()->selectedRows();
    if (!rows.isEmpty() && manifest_ && rows.constFirst().row() < static_cast<int>(lines_.size()))
        state.retryable = fleet::CanRetry(
            *manifest_, lines_, lines_[static_cast<std::size_t>(rows.constFirst().row())].label);
    const fleet::ScreenControls controls = fleet::ControlsFor(state);
    for (QWidget* w : {static_cast<QWidget*>(rosterButton_), static_cast<QWidget*>(templateButton_),
                       static_cast<QWidget*>(windowTemplate_), static_cast<QWidget*>(fileTemplate_),
                       static_cast<QWidget*>(openPlan_), static_cast<QWidget*>(boards_),
                       static_cast<QWidget*>(handsFree_), static_cast<QWidget*>(again_),
                       static_cast<QWidget*>(strict_), static_cast<QWidget*>(exact_),
                       static_cast<QWidget*>(keep_)})
        w->setEnabled(controls.choose);
    makePlan_->setEnabled(controls.makePlan);
    run_->setEnabled(controls.run);
    stop_->setEnabled(controls.stop && !stopRequested_);
    retry_->setEnabled(controls.retry);
    // Until a run has recorded a pager the plan folder holds no report.
    openReport_->setEnabled(controls.openFolder && HasReport());
    openFolder_->setEnabled(controls.openFolder);
}

bool FleetWindow::HasReport() const {
    std::error_code error;
    return folder_ && std::filesystem::is_regular_file(*folder_ / fleet::kReportCsvName, error);
}

void FleetWindow::Open(const std::filesystem::path& path, FolderPathBox::Kind kind) {
    const QString text = Q(std::filesystem::absolute(path).lexically_normal().string());
    if (!openUrl || !openUrl(QUrl::fromLocalFile(text))) pathBox_->ShowPath(kind, text);
}

}  // namespace mk843nb
