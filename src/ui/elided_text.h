#pragma once

#include <QComboBox>
#include <QLabel>

namespace mk843nb {

// A label that shows its whole text when it fits and otherwise cuts it with an
// ellipsis in the middle, where a file path is least telling; its text() and
// tool tip stay whole. It never asks the window for more room than a few characters.
class ElidedLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;

    // What the label draws at its present width.
    QString ShownText() const;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

// The port box: a device path is cut at its start, so its end, which tells the
// ports apart (ttyUSB0, ttyUSB1, the serial number of a by-id link), stays in
// view; a description is cut at its end. The box's tool tip holds the whole
// text of the selected port (or the tool tip its item carries), and the list
// opens wide enough for the longest entry.
class PortComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit PortComboBox(QWidget* parent = nullptr);

    QString ShownText() const;
    void showPopup() override;

    // The tip shown over the box: the selected item's tool tip, or its whole text.
    void UpdateToolTip();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace mk843nb
