#include "ui/tone_plan_window.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

#include "playback/page_player.h"
#include "sound/test_page.h"
#include "ui/dialog_service.h"
#include "ui/plan_chart_widget.h"

namespace mk843nb {

namespace {

constexpr int kPageRate = 48000;

QString Text(const std::string& text) { return QString::fromStdString(text); }

QPushButton* Button(QWidget* parent, const char* name, const QString& caption) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    return button;
}

QListWidget* List(QWidget* parent, const char* name) {
    auto* list = new QListWidget(parent);
    list->setObjectName(QString::fromLatin1(name));
    list->setWordWrap(true);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    return list;
}

}  // namespace

TonePlanWindow::TonePlanWindow(DialogService& dialogs, QWidget* parent)
    : QDialog(parent), dialogs_(dialogs) {
    setObjectName(QStringLiteral("TonePlanWindow"));
    setWindowTitle(QStringLiteral("Tone plan"));

    auto* openFolder = Button(this, "TonePlanOpenFolder", QStringLiteral("Open folder…"));
    auto* addFile = Button(this, "TonePlanAddFile", QStringLiteral("Add table file…"));
    summary_ =
        new QLabel(QStringLiteral("Open a folder of table files or a fleet plan folder."), this);
    summary_->setObjectName(QStringLiteral("TonePlanSummary"));
    connect(openFolder, &QPushButton::clicked, this, &TonePlanWindow::OpenFolder);
    connect(addFile, &QPushButton::clicked, this, &TonePlanWindow::AddTableFile);

    addresses_ = new QTableWidget(0, 4, this);
    addresses_->setObjectName(QStringLiteral("TonePlanAddresses"));
    addresses_->setHorizontalHeaderLabels({QStringLiteral("Pager"), QStringLiteral("Address"),
                                           QStringLiteral("Tones"), QStringLiteral("Bandwidth")});
    addresses_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    addresses_->setSelectionBehavior(QAbstractItemView::SelectRows);
    addresses_->setSelectionMode(QAbstractItemView::SingleSelection);
    addresses_->verticalHeader()->setVisible(false);
    addresses_->horizontalHeader()->setStretchLastSection(true);
    problems_ = List(this, "TonePlanProblems");

    count_ = new QSpinBox(this);
    count_->setObjectName(QStringLiteral("TonePlanSuggestCount"));
    count_->setRange(1, 100);
    count_->setValue(5);
    auto* suggest = Button(this, "TonePlanSuggest", QStringLiteral("Suggest free pairs"));
    suggestions_ = List(this, "TonePlanSuggestions");
    connect(suggest, &QPushButton::clicked, this, &TonePlanWindow::Suggest);

    play_ = Button(this, "TonePlanPlay", QStringLiteral("Play"));
    stop_ = Button(this, "TonePlanStop", QStringLiteral("Stop"));
    play_->setEnabled(false);
    stop_->setEnabled(false);
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("TonePlanStatus"));
    connect(play_, &QPushButton::clicked, this, &TonePlanWindow::PlaySelected);
    connect(stop_, &QPushButton::clicked, this, [this] {
        if (player_) player_->Stop();
        stop_->setEnabled(false);
        status_->setText(QStringLiteral("Stopped."));
    });
    connect(addresses_, &QTableWidget::itemSelectionChanged, this,
            [this] { play_->setEnabled(!addresses_->selectedItems().isEmpty()); });
    connect(addresses_, &QTableWidget::cellDoubleClicked, this, &TonePlanWindow::PlaySelected);

    chart_ = new PlanChartWidget(this);

    auto* top = new QHBoxLayout;
    top->addWidget(openFolder);
    top->addWidget(addFile);
    top->addWidget(summary_, 1);

    auto* left = new QWidget(this);
    auto* leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    leftLayout->addWidget(addresses_, 3);
    auto* playRow = new QHBoxLayout;
    playRow->addWidget(play_);
    playRow->addWidget(stop_);
    playRow->addWidget(status_, 1);
    leftLayout->addLayout(playRow);
    leftLayout->addWidget(new QLabel(QStringLiteral("Problems, the most serious first:"), left));
    leftLayout->addWidget(problems_, 3);
    auto* suggestRow = new QHBoxLayout;
    suggestRow->addWidget(count_);
    suggestRow->addWidget(suggest);
    suggestRow->addStretch();
    leftLayout->addLayout(suggestRow);
    leftLayout->addWidget(suggestions_, 1);

    auto* split = new QSplitter(Qt::Horizontal, this);
    split->addWidget(left);
    split->addWidget(chart_);
    split->setStretchFactor(1, 1);
    split->setSizes({460, 740});

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(split, 1);
    resize(1200, 760);
}

TonePlanWindow::~TonePlanWindow() = default;

void TonePlanWindow::OpenFolder() {
    FileDialogRequest request;
    request.folder = true;
    request.fileMustExist = true;
    request.defaultExt.clear();  // a folder's name gets no ".tbl"
    QWidget* previous = dialogs_.Parent();
    dialogs_.SetParent(this);
    const auto chosen = dialogs_.ChooseOpenFile(request);
    dialogs_.SetParent(previous);
    if (chosen) OpenPaths({std::filesystem::path(*chosen)});
}

void TonePlanWindow::AddTableFile() {
    FileDialogRequest request;
    request.fileMustExist = true;
    QWidget* previous = dialogs_.Parent();
    dialogs_.SetParent(this);
    const auto chosen = dialogs_.ChooseOpenFile(request);
    dialogs_.SetParent(previous);
    if (!chosen) return;
    std::vector<std::filesystem::path> paths = view_.Sources();
    paths.emplace_back(*chosen);
    OpenPaths(paths);
}

bool TonePlanWindow::OpenPaths(const std::vector<std::filesystem::path>& paths) {
    const std::string error = view_.Open(paths);
    if (!error.empty()) {
        dialogs_.ShowOver(this, {MessageKind::Exclamation, error});
        return false;
    }
    Show();
    return true;
}

void TonePlanWindow::Show() {
    summary_->setText(Text(view_.Summary()));
    rows_ = view_.Rows();
    addresses_->clearSelection();
    addresses_->setRowCount(static_cast<int>(rows_.size()));
    for (int row = 0; row < static_cast<int>(rows_.size()); ++row) {
        const tones::PlanViewRow& entry = rows_[static_cast<std::size_t>(row)];
        const std::string cells[] = {entry.label, entry.name, entry.tones, entry.bandwidth};
        for (int column = 0; column < 4; ++column) {
            auto* item = new QTableWidgetItem(Text(cells[column]));
            if (entry.inProblem) item->setForeground(QColor(210, 20, 20));
            addresses_->setItem(row, column, item);
        }
    }
    addresses_->resizeColumnsToContents();
    problems_->clear();
    for (const std::string& text : view_.ProblemTexts()) problems_->addItem(Text(text));
    suggestions_->clear();
    chart_->SetLayoutSource([this](tones::ChartSize size) { return view_.Layout(size); });
}

void TonePlanWindow::Suggest() {
    suggestions_->clear();
    const std::vector<std::string> found = view_.Suggest(count_->value());
    for (const std::string& text : found) suggestions_->addItem(Text(text));
    if (static_cast<int>(found.size()) < count_->value())
        suggestions_->addItem(Text("only " + std::to_string(found.size()) + " of " +
                                   std::to_string(count_->value()) +
                                   " free addresses are left in the standard tone table"));
}

void TonePlanWindow::PlaySelected() {
    const QList<QTableWidgetItem*> selected = addresses_->selectedItems();
    if (selected.isEmpty()) return;
    const tones::PlanViewRow& row = rows_.at(static_cast<std::size_t>(selected.first()->row()));
    if (player_) player_->Stop();
    player_ = std::make_unique<PagePlayer>();
    connect(player_.get(), &PagePlayer::Finished, this, &TonePlanWindow::Played);
    samples_ = RenderPage(view_.PageOf(row), kPageRate);
    if (!player_->Start(samples_, kPageRate)) {
        status_->setText(player_->ErrorText());
        dialogs_.ShowOver(this, {MessageKind::Exclamation, player_->ErrorText().toStdString()});
        return;
    }
    stop_->setEnabled(true);
    status_->setText(
        QStringLiteral("Playing %1 (%2): %3 on %4")
            .arg(Text(row.label), Text(row.name), Text(row.tones), player_->OutputDescription()));
}

void TonePlanWindow::Played(bool completed, const QString& message) {
    stop_->setEnabled(false);
    status_->setText(completed ? QStringLiteral("Played.") : message);
}

}  // namespace mk843nb
