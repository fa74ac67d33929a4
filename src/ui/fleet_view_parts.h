#pragma once

// What the Fleet window's parts share: buttons and read-only tables named for
// the tests and the keyboard, and the box that refuses what the user asked.

#include <QString>
#include <QStringList>
#include <string>
#include <vector>

#include "image/message.h"

class QPushButton;
class QTableWidget;
class QWidget;

namespace mk843nb {

QPushButton* FleetButton(QWidget* parent, const char* name, const QString& caption);
// Rows selected whole, one at a time; cells not editable, wrapped, with their text as tooltip.
QTableWidget* FleetTable(QWidget* parent, const char* name, const QStringList& heads);
void FillFleetRow(QTableWidget* table, int row, const std::vector<std::string>& cells);

inline Message FleetRefusal(std::string text) {
    return {MessageKind::Exclamation, std::move(text)};
}

}  // namespace mk843nb
