#include "ui/design_builder.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

#include "editor/control_catalog.h"

namespace mk843nb {

namespace {
// How long a hint stays up, in milliseconds.
constexpr int kHintPause = 7000;
}  // namespace

ObjectName::ObjectName(ControlId control) {
    const std::string_view name = ControlName(control);
    text_ = QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
}

ObjectName::ObjectName(const char* name) : text_(QString::fromLatin1(name)) {}

namespace {
QString Text(std::string_view text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}
}  // namespace

QString DesignBuilder::Caption(ControlId control) { return Text(Control(control).listing.caption); }
QString DesignBuilder::Unit(ControlId control) { return Text(Control(control).listing.unit); }

void DesignBuilder::Add(QWidget* widget, QRect bounds) {
    widget->setGeometry(bounds);
    components_.push_back(widget);
}

QLabel* DesignBuilder::Label(QWidget* parent, ObjectName name, const QString& caption, QPoint at) {
    auto* label = new QLabel(caption, parent);
    label->setObjectName(name.Text());
    const QSize size = label->sizeHint();
    Add(label, QRect(at, size));
    return label;
}

QLabel* DesignBuilder::Label(QWidget* parent, ObjectName name, const QString& caption,
                             QRect bounds) {
    auto* label = new QLabel(caption, parent);
    label->setObjectName(name.Text());
    Add(label, bounds);
    return label;
}

QLineEdit* DesignBuilder::Edit(QWidget* parent, ObjectName name, QRect bounds, int maxLength) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name.Text());
    if (maxLength > 0) edit->setMaxLength(maxLength);
    Add(edit, bounds);
    return edit;
}

QComboBox* DesignBuilder::Combo(QWidget* parent, ObjectName name, QRect bounds) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(name.Text());
    Add(combo, bounds);
    return combo;
}

QCheckBox* DesignBuilder::Check(QWidget* parent, ObjectName name, const QString& caption,
                                QRect bounds) {
    auto* check = new QCheckBox(caption, parent);
    check->setObjectName(name.Text());
    Add(check, bounds);
    return check;
}

QRadioButton* DesignBuilder::Radio(QWidget* parent, ObjectName name, const QString& caption,
                                   QRect bounds) {
    auto* radio = new QRadioButton(caption, parent);
    radio->setObjectName(name.Text());
    Add(radio, bounds);
    return radio;
}

QGroupBox* DesignBuilder::Group(QWidget* parent, ObjectName name, const QString& caption,
                                QRect bounds) {
    auto* group = new QGroupBox(caption, parent);
    group->setObjectName(name.Text());
    Add(group, bounds);
    return group;
}

QFrame* DesignBuilder::Panel(QWidget* parent, ObjectName name, QRect bounds) {
    auto* panel = new QFrame(parent);
    panel->setObjectName(name.Text());
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setFrameShadow(QFrame::Raised);
    Add(panel, bounds);
    return panel;
}

void DesignBuilder::Hint(QWidget* widget, const QString& hint) {
    widget->setToolTip(hint);
    widget->setToolTipDuration(kHintPause);
}

void DesignBuilder::Bold(QWidget* widget, bool underline) {
    QFont font = widget->font();
    font.setBold(true);
    font.setUnderline(underline);
    widget->setFont(font);
}

QColor DesignBuilder::CaptionBlue() {
    const bool dark = QApplication::palette().color(QPalette::Window).lightness() < 128;
    return dark ? QColor(0x7a, 0xb0, 0xff) : QColor(Qt::blue);
}

void DesignBuilder::TextColour(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    palette.setColor(QPalette::Text, colour);
    palette.setColor(QPalette::ButtonText, colour);
    widget->setPalette(palette);
}

}  // namespace mk843nb
