#include "ui/fleet_plan_panel.h"

#include <QCheckBox>
#include <QColor>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <system_error>

#include "files/table_io.h"
#include "fleet/plan_sources_read.h"
#include "ui/dialog_service.h"
#include "ui/fleet_folder.h"
#include "ui/fleet_view_parts.h"

namespace mk843nb {

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

std::string KeptFieldsText() {
    std::string fields;
    for (const std::string& f : fleet::kDefaultKeptFields)
        fields += (fields.empty() ? "" : ", ") + f;
    return fields;
}

}  // namespace

FleetPlanPanel::FleetPlanPanel(DialogService& dialogs, std::function<PagerImage()> windowImage,
                               QWidget* parent)
    : QGroupBox(QStringLiteral("Plan"), parent),
      dialogs_(dialogs),
      windowImage_(std::move(windowImage)) {
    roster_ = new QLineEdit(this);
    roster_->setObjectName(QStringLiteral("FleetRosterPath"));
    roster_->setReadOnly(true);
    rosterButton_ = FleetButton(this, "FleetRosterButton", QStringLiteral("&Roster…"));
    windowTemplate_ = new QRadioButton(QStringLiteral("This &window's table"), this);
    windowTemplate_->setObjectName(QStringLiteral("FleetWindowTemplate"));
    windowTemplate_->setChecked(true);
    fileTemplate_ = new QRadioButton(QStringLiteral("Table &file:"), this);
    fileTemplate_->setObjectName(QStringLiteral("FleetFileTemplate"));
    templatePath_ = new QLineEdit(this);
    templatePath_->setObjectName(QStringLiteral("FleetTemplatePath"));
    templatePath_->setReadOnly(true);
    templateButton_ = FleetButton(this, "FleetTemplateButton", QStringLiteral("&Template…"));
    makePlan_ = FleetButton(this, "FleetMakePlan", QStringLiteral("&Make plan…"));
    openPlan_ = FleetButton(this, "FleetOpenPlan", QStringLiteral("&Open plan…"));
    plan_ = FleetTable(
        this, "FleetPlanTable",
        {QStringLiteral("Label"), QStringLiteral("Changes"), QStringLiteral("Problems")});
    strict_ = new QCheckBox(QStringLiteral("Stri&ct: warnings refuse the plan"), this);
    strict_->setObjectName(QStringLiteral("FleetStrict"));
    exact_ = new QCheckBox(QStringLiteral("E&xact tones: a snapped tone refuses its row"), this);
    exact_->setObjectName(QStringLiteral("FleetExact"));
    keep_ = new QLineEdit(Q(KeptFieldsText()), this);
    keep_->setObjectName(QStringLiteral("FleetKeep"));
    keep_->setToolTip(QStringLiteral(
        "The fields each pager keeps from its own memory when its row leaves them empty, "
        "separated by commas; \"none\" keeps nothing"));
    note_ = new QLabel(this);
    note_->setObjectName(QStringLiteral("FleetPlanNote"));
    note_->setWordWrap(true);
    note_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* rosterRow = new QHBoxLayout;
    rosterRow->addWidget(new QLabel(QStringLiteral("Roster:"), this));
    rosterRow->addWidget(roster_, 1);
    rosterRow->addWidget(rosterButton_);
    auto* templateRow = new QHBoxLayout;
    templateRow->addWidget(new QLabel(QStringLiteral("Template:"), this));
    templateRow->addWidget(windowTemplate_);
    templateRow->addWidget(fileTemplate_);
    templateRow->addWidget(templatePath_, 1);
    templateRow->addWidget(templateButton_);
    auto* optionsRow = new QHBoxLayout;
    optionsRow->addWidget(strict_);
    optionsRow->addWidget(exact_);
    auto* keepLabel = new QLabel(QStringLiteral("&Keep levels:"), this);
    keepLabel->setBuddy(keep_);
    optionsRow->addWidget(keepLabel);
    optionsRow->addWidget(keep_, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(makePlan_);
    buttons->addWidget(openPlan_);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(rosterRow);
    layout->addLayout(templateRow);
    layout->addLayout(optionsRow);
    layout->addWidget(plan_, 1);
    layout->addWidget(note_);
    layout->addLayout(buttons);

    connect(rosterButton_, &QPushButton::clicked, this, &FleetPlanPanel::ChooseRoster);
    connect(templateButton_, &QPushButton::clicked, this, &FleetPlanPanel::ChooseTemplateFile);
    connect(windowTemplate_, &QRadioButton::toggled, this, [this] { BuildPlan(); });
    connect(strict_, &QCheckBox::toggled, this, [this] { BuildPlan(); });
    connect(exact_, &QCheckBox::toggled, this, [this] { BuildPlan(); });
    connect(keep_, &QLineEdit::editingFinished, this, [this] { BuildPlan(); });
    connect(makePlan_, &QPushButton::clicked, this, &FleetPlanPanel::MakePlan);
    connect(openPlan_, &QPushButton::clicked, this, &FleetPlanPanel::OpenPlanClicked);
}

bool FleetPlanPanel::Ready() const {
    return built_ && built_->errors.empty() && !built_->pagers.empty();
}

void FleetPlanPanel::Enable(bool choose, bool makePlan) {
    for (QWidget* w : {static_cast<QWidget*>(rosterButton_), static_cast<QWidget*>(templateButton_),
                       static_cast<QWidget*>(windowTemplate_), static_cast<QWidget*>(fileTemplate_),
                       static_cast<QWidget*>(openPlan_), static_cast<QWidget*>(strict_),
                       static_cast<QWidget*>(exact_), static_cast<QWidget*>(keep_)})
        w->setEnabled(choose);
    makePlan_->setEnabled(makePlan);
}

void FleetPlanPanel::ChooseRoster() {
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

void FleetPlanPanel::ChooseTemplateFile() {
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

std::optional<std::filesystem::path> FleetPlanPanel::TemplateFile(
    const std::filesystem::path& windowCopy) {
    if (fileTemplate_->isChecked()) {
        if (templateFile_.empty()) return std::nullopt;
        return std::filesystem::path(templateFile_);
    }
    if (!windowImage_) return std::nullopt;
    std::error_code error;
    std::filesystem::create_directories(windowCopy.parent_path(), error);
    if (!WriteTableFile(windowCopy, windowImage_())) {
        dialogs_.ShowOver(window(), FleetRefusal(windowCopy.string() + " cannot be written"));
        return std::nullopt;
    }
    return windowCopy;
}

void FleetPlanPanel::BuildPlan() {
    built_.reset();
    if (rosterFile_.empty()) {
        emit Changed();
        return;
    }
    emit PlanStarted();
    QTemporaryDir scratch;
    const auto templatePath =
        TemplateFile(std::filesystem::path(scratch.path().toStdString()) / "window.tbl");
    rows_.clear();
    std::string note;
    // Without options the note already says why.
    if (const std::optional<fleet::PlanOptions> options = ChosenOptions(note))
        note = Build(templatePath, *options);
    note_->setText(Q(note));
    ShowRows();
    emit Changed();
}

std::string FleetPlanPanel::Build(const std::optional<std::filesystem::path>& templatePath,
                                  const fleet::PlanOptions& options) {
    if (!templatePath) return "Choose the template's table file";
    std::string why;
    const std::optional<fleet::PlanSources> sources = fleet::ReadPlanSources(
        {*templatePath, templatePath->string()}, {rosterFile_, rosterFile_}, options.strict, why);
    if (!sources) return why;
    const fleet::RosterParse roster = fleet::ParseRoster(sources->rosterBytes);
    built_ = fleet::BuildFleetPlan(*templatePath, roster, options);
    rows_ = fleet::PlanRowsOf(roster, *built_, ReadTableBytes(*templatePath)->bytes);
    std::string note;
    for (const std::string& problem : fleet::GeneralProblems(roster, *built_))
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
    return note;
}

void FleetPlanPanel::ShowRows() {
    plan_->clearContents();
    plan_->setRowCount(static_cast<int>(rows_.size()));
    for (int row = 0; row < static_cast<int>(rows_.size()); ++row) {
        const fleet::PlanRow& shown = rows_[static_cast<std::size_t>(row)];
        FillFleetRow(plan_, row, {shown.label, shown.changes, shown.problems});
        if (shown.refused)
            for (int column = 0; column < 3; ++column)
                plan_->item(row, column)->setForeground(QColor(Qt::red));
    }
    plan_->resizeColumnsToContents();
    plan_->resizeRowsToContents();
}

void FleetPlanPanel::ShowFolder(const std::filesystem::path& folder,
                                const fleet::PlanManifest& plan) {
    rows_ = fleet::PlanRowsOf(folder, plan);
    note_->setText(Q("Plan folder: " + std::filesystem::absolute(folder).string()));
    ShowRows();
}

void FleetPlanPanel::MakePlan() {
    if (!built_ || !built_->errors.empty()) return;
    FileDialogRequest request;
    request.fileName = fleet::kPlanFileName;
    request.filter = kPlanFileFilter;
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
        dialogs_.ShowOver(window(), FleetRefusal(why));
        return;
    }
    const std::optional<fleet::PlanSources> sources = fleet::ReadPlanSources(
        {*templatePath, templatePath->string()}, {rosterFile_, rosterFile_}, options->strict, why);
    if (!sources) {
        dialogs_.ShowOver(window(), FleetRefusal(why));
        return;
    }
    // Planned again from the files as they are now: they may have changed since shown.
    built_ =
        fleet::BuildFleetPlan(*templatePath, fleet::ParseRoster(sources->rosterBytes), *options);
    if (!built_->errors.empty()) {
        BuildPlan();
        dialogs_.ShowOver(window(),
                          FleetRefusal("The roster or the template changed and the plan has "
                                       "refusals now; nothing was written"));
        return;
    }
    if (auto error = fleet::WritePlanFolder(folder, *built_, *sources)) {
        dialogs_.ShowOver(window(), FleetRefusal(*error));
        return;
    }
    emit FolderMade(folder);
}

std::optional<fleet::PlanOptions> FleetPlanPanel::ChosenOptions(std::string& why) const {
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

}  // namespace mk843nb
