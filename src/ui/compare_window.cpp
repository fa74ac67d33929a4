#include "ui/compare_window.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace mk843nb {

CompareWindow::CompareWindow(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("CompareWindow"));
    summary_ = new QLabel(this);
    summary_->setObjectName(QStringLiteral("CompareSummary"));
    table_ = new QTableWidget(0, 5, this);
    table_->setObjectName(QStringLiteral("CompareTable"));
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->verticalHeader()->setVisible(false);
    table_->horizontalHeader()->setStretchLastSection(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(summary_);
    layout->addWidget(table_);
    layout->addWidget(buttons);
    resize(640, 420);
}

void CompareWindow::ShowDifferences(const QString& title, const QString& nameA,
                                    const QString& nameB,
                                    const std::vector<FieldDifference>& differences) {
    setWindowTitle(title);
    summary_->setText(differences.empty()
                          ? QStringLiteral("No difference.")
                          : QStringLiteral("%1 field(s) differ.").arg(differences.size()));
    table_->setHorizontalHeaderLabels(
        {QStringLiteral("Page"), QStringLiteral("Field"), nameA, nameB, QString()});
    table_->setRowCount(static_cast<int>(differences.size()));
    for (int row = 0; row < static_cast<int>(differences.size()); ++row) {
        const FieldDifference& d = differences[static_cast<std::size_t>(row)];
        const QString cells[] = {
            d.page.empty() ? QStringLiteral("(not shown)") : QString::fromStdString(d.page),
            QString::fromStdString(d.caption), QString::fromStdString(d.a),
            QString::fromStdString(d.b), d.derived ? QStringLiteral("derived") : QString()};
        for (int column = 0; column < 5; ++column)
            table_->setItem(row, column, new QTableWidgetItem(cells[column]));
    }
    table_->resizeColumnsToContents();
    show();
    raise();
}

}  // namespace mk843nb
