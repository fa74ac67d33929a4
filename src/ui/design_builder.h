#pragma once

#include <QColor>
#include <QRect>
#include <QString>
#include <vector>

#include "editor/control_id.h"

class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QWidget;

namespace mk843nb {

// A widget's object name: a control's own name, given by its id, or the name
// of a widget no rule reaches (group boxes, fixed captions); "" for none.
class ObjectName {
public:
    ObjectName(ControlId control);  // NOLINT(google-explicit-constructor): ids read as names
    ObjectName(const char* name);   // NOLINT(google-explicit-constructor)
    const QString& Text() const { return text_; }

private:
    QString text_;
};

// Creates the controls of a window at their design bounds, each named after its
// control, and lists them in creation order: the list the proportional
// re-layout scales.
class DesignBuilder {
public:
    explicit DesignBuilder(std::vector<QWidget*>& components) : components_(components) {}

    QLabel* Label(QWidget* parent, ObjectName name, const QString& caption, QPoint at);
    QLabel* Label(QWidget* parent, ObjectName name, const QString& caption, QRect bounds);
    QLineEdit* Edit(QWidget* parent, ObjectName name, QRect bounds, int maxLength = 0);
    QComboBox* Combo(QWidget* parent, ObjectName name, QRect bounds);
    QCheckBox* Check(QWidget* parent, ObjectName name, const QString& caption, QRect bounds);
    QRadioButton* Radio(QWidget* parent, ObjectName name, const QString& caption, QRect bounds);
    QGroupBox* Group(QWidget* parent, ObjectName name, const QString& caption, QRect bounds);
    QFrame* Panel(QWidget* parent, ObjectName name, QRect bounds);

    // Adds a control created elsewhere to the scaled list.
    void Add(QWidget* widget, QRect bounds);

    // The caption and the unit the catalogue puts beside a control's field.
    static QString Caption(ControlId control);
    static QString Unit(ControlId control);

    static void Hint(QWidget* widget, const QString& hint);
    static void Bold(QWidget* widget, bool underline = false);
    static void TextColour(QWidget* widget, const QColor& colour);
    // The blue of the window's captions and notices; on a dark palette a lighter
    // blue, so they stay readable and still read as the blue ones.
    static QColor CaptionBlue();

private:
    std::vector<QWidget*>& components_;
};

}  // namespace mk843nb
