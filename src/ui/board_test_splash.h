#pragma once

#include <QWidget>

class QLabel;

namespace mk843nb {

// The board-test splash (TForm3): a borderless 320 x 81 window shown while the
// programmer board is searched for at start-up. It has no handlers of its own.
class BoardTestSplash : public QWidget {
    Q_OBJECT
public:
    explicit BoardTestSplash(QWidget* parent = nullptr);

    // Step 2 of the first showing: Label2 moves to left 85 and names the programmer.
    void Prepare();
    // Shown (not modal) centred over the main window and brought to the front.
    void ShowOver(QWidget* mainWindow);

    QLabel* Label1() const { return label1_; }
    QLabel* Label2() const { return label2_; }

private:
    QLabel* label1_;
    QLabel* label2_;
};

}  // namespace mk843nb
