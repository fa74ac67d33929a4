#pragma once

#include <QDialog>
#include <QStringList>

class QPlainTextEdit;
class QPushButton;

namespace mk843nb {

// The reset-function help (TfrmHelp): a borderless 561 x 305 window with the
// sixteen lines on the reset methods and an "OK" button over the text.
class HelpWindow : public QDialog {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* parent = nullptr);

    // The sixteen lines, leading blanks included.
    static const QStringList& HelpLines();

    QPlainTextEdit* Memo1() const { return memo1_; }
    QPushButton* Button1() const { return button1_; }

private:
    QPlainTextEdit* memo1_;
    QPushButton* button1_;
};

}  // namespace mk843nb
