#include "ui/tone_table_window.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>
#include <QTableWidget>

#include "editor/form_model.h"
#include "image/tones.h"
#include "ui/dialog_service.h"

namespace mk843nb {

namespace {

constexpr int kClientWidth = 862;
constexpr int kClientHeight = 319;
// 55 pixels of cell and 2 of grid line, the grid's default column width.
constexpr int kColumnWidth = 57;
constexpr int kRowHeight = 25;

QFont GridFont() {
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::Monospace);
    font.setPixelSize(13);
    return font;
}

QFont ButtonFont() {
    QFont font(QStringLiteral("Arial"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(15);
    font.setBold(true);
    return font;
}

}  // namespace

ToneTableWindow::ToneTableWindow(FormModel& model, DialogService& dialogs, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      model_(model),
      dialogs_(dialogs) {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Tone Table"));
    setFixedSize(kClientWidth, kClientHeight);

    grid_ = new QTableWidget(kRows - 1, kColumns - 1, this);
    grid_->setObjectName(QStringLiteral("StringGrid1"));
    grid_->setFont(GridFont());
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Ranges may be selected, but only the current cell counts.
    grid_->setSelectionMode(QAbstractItemView::ContiguousSelection);
    grid_->setSelectionBehavior(QAbstractItemView::SelectItems);
    grid_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    grid_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid_->setCornerButtonEnabled(false);
    grid_->setTabKeyNavigation(false);
    grid_->setWordWrap(false);
    QPalette palette = grid_->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::HighlightedText));
    palette.setColor(QPalette::Text, Qt::black);
    grid_->setPalette(palette);

    // The head row and the index column are fixed: never selected, the user may widen columns.
    QHeaderView* heads = grid_->horizontalHeader();
    heads->setFont(GridFont());
    heads->setDefaultSectionSize(kColumnWidth);
    heads->setMinimumSectionSize(20);
    heads->setFixedHeight(kRowHeight);
    heads->setSectionResizeMode(QHeaderView::Interactive);
    heads->setSectionsClickable(false);
    heads->setHighlightSections(false);
    heads->setDefaultAlignment(Qt::AlignCenter);
    QHeaderView* index = grid_->verticalHeader();
    index->setFont(GridFont());
    index->setDefaultSectionSize(kRowHeight);
    index->setSectionResizeMode(QHeaderView::Fixed);
    index->setFixedWidth(kColumnWidth);
    index->setSectionsClickable(false);
    index->setHighlightSections(false);
    index->setDefaultAlignment(Qt::AlignCenter);

    grid_->setGeometry(2, 2, kClientWidth - 4, kRowHeight * kRows + 2 * grid_->frameWidth());
    grid_->installEventFilter(this);
    connect(grid_, &QTableWidget::cellDoubleClicked, this,
            [this] { Pick(); });  // StringGrid1DblClick

    btnEnter_ = new QPushButton(QStringLiteral("Enter"), this);
    btnEnter_->setObjectName(QStringLiteral("btnEnter"));
    btnExit_ = new QPushButton(QStringLiteral("Exit"), this);
    btnExit_->setObjectName(QStringLiteral("btnExit"));
    const int buttonTop =
        grid_->geometry().bottom() + 1 + (kClientHeight - grid_->geometry().bottom() - 1 - 22) / 2;
    btnEnter_->setGeometry(kClientWidth / 2 - 60 - 20, buttonTop, 60, 22);
    btnExit_->setGeometry(kClientWidth / 2 + 20, buttonTop, 60, 22);
    for (QPushButton* button : {btnEnter_, btnExit_}) button->setFont(ButtonFont());
    connect(btnEnter_, &QPushButton::clicked, this, &ToneTableWindow::Pick);   // btnEnterClick
    connect(btnExit_, &QPushButton::clicked, this, &ToneTableWindow::reject);  // btnExitClick

    FillGrid();
    SelectCell(1, 1);  // 330.5 when the program starts
}

// FormCreate: the group names head the columns, the indexes head the rows.
void ToneTableWindow::FillGrid() {
    QStringList groupNames;
    for (int g = 0; g < kColumns - 1; ++g) {
        const ToneGroup& group = StandardToneTable()[static_cast<std::size_t>(g)];
        groupNames << QString::fromLatin1(group.name.data(),
                                          static_cast<qsizetype>(group.name.size()));
        for (int i = 0; i < kRows - 1; ++i) {
            const double hertz = group.tones[static_cast<std::size_t>(i)] * 0.1;
            auto* item = new QTableWidgetItem(QString::asprintf("%0.1f", hertz));
            item->setTextAlignment(Qt::AlignCenter);
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            grid_->setItem(i, g, item);
        }
    }
    grid_->setHorizontalHeaderLabels(groupNames);
    QStringList indexes;
    for (int i = 0; i < kRows - 1; ++i) indexes << QString::number(i);
    grid_->setVerticalHeaderLabels(indexes);
}

QString ToneTableWindow::CellText(int column, int row) const {
    if (column < 0 || column >= kColumns || row < 0 || row >= kRows) return {};
    if (row == 0) {
        if (column == 0) return {};
        const QTableWidgetItem* head = grid_->horizontalHeaderItem(column - 1);
        return head ? head->text() : QString();
    }
    if (column == 0) return QString::number(row - 1);
    const QTableWidgetItem* item = grid_->item(row - 1, column - 1);
    return item ? item->text() : QString();
}

int ToneTableWindow::CurrentColumn() const { return grid_->currentColumn() + 1; }

int ToneTableWindow::CurrentRow() const { return grid_->currentRow() + 1; }

// StringGrid1SelectCell: the head row (and the index column) cannot be selected.
bool ToneTableWindow::SelectCell(int column, int row) {
    if (column < 1 || column >= kColumns || row < 1 || row >= kRows) return false;
    grid_->setCurrentCell(row - 1, column - 1, QItemSelectionModel::ClearAndSelect);
    return true;
}

void ToneTableWindow::Pick() {
    if (picking_) return;
    picking_ = true;
    const QString tone = CellText(CurrentColumn(), CurrentRow());
    for (const Effect& effect : model_.PickTone(tone.toStdString())) {
        if (effect.kind == EffectKind::ShowMessage) dialogs_.ShowOver(this, effect.message);
    }
    QDialog::done(QDialog::Accepted);
    picking_ = false;
}

void ToneTableWindow::reject() { Pick(); }

void ToneTableWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    grid_->setFocus(Qt::OtherFocusReason);
    grid_->scrollToItem(grid_->currentItem());
}

// StringGrid1KeyPress: Enter picks, Escape is "Exit" (which picks as well).
bool ToneTableWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == grid_ && event->type() == QEvent::KeyPress) {
        switch (static_cast<QKeyEvent*>(event)->key()) {
            case Qt::Key_Return:
            case Qt::Key_Enter:
                Pick();
                return true;
            case Qt::Key_Escape:
                reject();
                return true;
            default:
                break;
        }
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace mk843nb
