#pragma once

// The differences between two images, one row per field, with the window's
// own page and caption texts: File > "Compare with file…", Pager > "Compare
// with pager…" and the Backups window's compare all show it.

#include <QDialog>
#include <vector>

#include "editor/image_compare.h"

class QLabel;
class QTableWidget;

namespace mk843nb {

class CompareWindow : public QDialog {
    Q_OBJECT
public:
    explicit CompareWindow(QWidget* parent = nullptr);

    // nameA and nameB head the value columns ("This window", the file's name).
    void ShowDifferences(const QString& title, const QString& nameA, const QString& nameB,
                         const std::vector<FieldDifference>& differences);

    QTableWidget* Table() const { return table_; }
    QLabel* Summary() const { return summary_; }

private:
    QLabel* summary_;
    QTableWidget* table_;
};

}  // namespace mk843nb
