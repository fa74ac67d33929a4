#pragma once

#include <QDialog>

class QPushButton;
class QTableWidget;

namespace mk843nb {

class DialogService;
class FormModel;

// The tone table (TForm2, "Tone Table"): the standard tones in a 15 x 11 grid,
// one column per tone group, fixed head row and index column. Every way of
// leaving the window (Enter, double-click, "Enter", "Exit", Escape, the close
// box) is the pick: the current cell's tone goes to the form model, which
// stores it in the active tone field or refuses it. There is no cancel.
//
// Grid coordinates follow the table: column 0 and row 0 are the heads, so
// column g, row i + 1 holds tone i of group g. The widget shows the heads as
// its header sections and tone i of group g in its cell (i, g - 1).
class ToneTableWindow : public QDialog {
    Q_OBJECT
public:
    static constexpr int kColumns = 15;
    static constexpr int kRows = 11;

    ToneTableWindow(FormModel& model, DialogService& dialogs, QWidget* parent = nullptr);

    // The text of a cell in grid coordinates (row 0 and column 0 are the heads).
    QString CellText(int column, int row) const;
    int CurrentColumn() const;
    int CurrentRow() const;
    // Selects a cell in grid coordinates; the head row and column are refused.
    bool SelectCell(int column, int row);

    // The pick: the current cell's text goes to the active tone field, then the window closes.
    void Pick();

    QTableWidget* StringGrid1() const { return grid_; }
    QPushButton* BtnEnter() const { return btnEnter_; }
    QPushButton* BtnExit() const { return btnExit_; }

public slots:
    // Escape and the close box end here: "Exit" is the pick too.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FillGrid();

    FormModel& model_;
    DialogService& dialogs_;
    QTableWidget* grid_;
    QPushButton* btnEnter_;
    QPushButton* btnExit_;
    bool picking_ = false;
};

}  // namespace mk843nb
