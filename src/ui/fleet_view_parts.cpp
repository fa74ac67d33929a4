#include "ui/fleet_view_parts.h"

#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>

namespace mk843nb {

QPushButton* FleetButton(QWidget* parent, const char* name, const QString& caption) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    return button;
}

QTableWidget* FleetTable(QWidget* parent, const char* name, const QStringList& heads) {
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

void FillFleetRow(QTableWidget* table, int row, const std::vector<std::string>& cells) {
    for (int column = 0; column < static_cast<int>(cells.size()); ++column) {
        auto* item =
            new QTableWidgetItem(QString::fromStdString(cells[static_cast<std::size_t>(column)]));
        item->setToolTip(item->text());
        table->setItem(row, column, item);
    }
}

}  // namespace mk843nb
