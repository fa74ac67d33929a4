#pragma once

#include <QColor>
#include <QRect>
#include <QString>
#include <vector>

class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QWidget;

namespace mk843nb {

// Creates the controls of a window at their design bounds, each named after its
// control, and lists them in creation order: the list the proportional
// re-layout scales.
class DesignBuilder {
public:
    explicit DesignBuilder(std::vector<QWidget*>& components) : components_(components) {}

    QLabel* Label(QWidget* parent, const char* name, const QString& caption, QPoint at);
    QLabel* Label(QWidget* parent, const char* name, const QString& caption, QRect bounds);
    QLineEdit* Edit(QWidget* parent, const char* name, QRect bounds, int maxLength = 0);
    QComboBox* Combo(QWidget* parent, const char* name, QRect bounds);
    QCheckBox* Check(QWidget* parent, const char* name, const QString& caption, QRect bounds);
    QRadioButton* Radio(QWidget* parent, const char* name, const QString& caption, QRect bounds);
    QGroupBox* Group(QWidget* parent, const char* name, const QString& caption, QRect bounds);
    QFrame* Panel(QWidget* parent, const char* name, QRect bounds);

    // Adds a control created elsewhere to the scaled list.
    void Add(QWidget* widget, QRect bounds);

    static void Hint(QWidget* widget, const QString& hint);
    static void Bold(QWidget* widget, bool underline = false);
    static void TextColour(QWidget* widget, const QColor& colour);

private:
    std::vector<QWidget*>& components_;
};

}  // namespace mk843nb
