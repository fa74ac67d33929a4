#include <QButtonGroup>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <utility>

#include "editor/control_id.h"
#include "ui/design_builder.h"
#include "ui/elided_text.h"
#include "ui/page_builders.h"

namespace mk843nb {

namespace {

void GreyBlueBold(QWidget* w) {
    DesignBuilder::Bold(w);
    DesignBuilder::TextColour(w, DesignBuilder::CaptionBlue());
    QPalette p = w->palette();
    p.setColor(QPalette::Base, QColor(0xD4, 0xD0, 0xC8));
    p.setColor(QPalette::Window, QColor(0xD4, 0xD0, 0xC8));
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

}  // namespace

void BuildTopStrip(DesignBuilder& b, QWidget* form) {
    QGroupBox* port = b.Group(form, "GroupBox4", QString(), {15, 1, 306, 55});
    b.Label(port, "lblComPort", QStringLiteral("COM Port"), QRect(10, 22, 60, 18));
    auto* ports = new PortComboBox(port);
    ports->setObjectName(ObjectName(ControlId::cboPort).Text());
    b.Add(ports, {72, 18, 110, 24});
    QLabel* version =
        b.Label(port, ControlId::lblVersion, QStringLiteral("Version"), QRect(192, 22, 48, 18));
    version->hide();
    QLineEdit* edtVersion = b.Edit(port, ControlId::edtVersion, {242, 19, 54, 22});
    edtVersion->setFrame(false);
    edtVersion->setReadOnly(true);
    // Shown, not entered: Tab passes it by; a click still selects the version to copy it.
    edtVersion->setFocusPolicy(Qt::ClickFocus);
    GreyBlueBold(edtVersion);
    edtVersion->hide();

    QGroupBox* system = b.Group(form, "GroupBox8", QStringLiteral("System"), {334, 0, 347, 55});
    auto* standard =
        b.Radio(system, ControlId::radStandard, QStringLiteral("Standard Mode"), {20, 22, 140, 22});
    standard->setChecked(true);
    DesignBuilder::Hint(standard, QStringLiteral("If Standard Mode is selected, all call tones "
                                                 "must match the tone listed in Tone Table."));
    auto* user =
        b.Radio(system, ControlId::radUser, QStringLiteral(" User Mode"), {190, 22, 140, 22});
    DesignBuilder::Hint(
        user, QStringLiteral(
                  "If User Mode is selected, then any address tone frequency can be entered as"));

    // The mode buttons sit on the form itself: their own exclusive pair.
    auto* modify =
        b.Radio(form, ControlId::RBtModify, QStringLiteral("Modify Mode"), {690, 10, 122, 20});
    auto* write =
        b.Radio(form, ControlId::RBtWrite, QStringLiteral("Write Mode"), {690, 37, 122, 20});
    GreyBlueBold(modify);
    GreyBlueBold(write);
    modify->setChecked(true);
    // Two groups of their own: radio buttons left to themselves count every
    // radio button under their parent, nested ones included, as one group, so
    // the mode buttons would take the Tab stop of the System buttons away.
    for (auto pair : {std::pair{standard, user}, std::pair{modify, write}}) {
        auto* group = new QButtonGroup(form);
        group->addButton(pair.first);
        group->addButton(pair.second);
    }

    QGroupBox* freq = b.Group(form, "GroupBox1", QStringLiteral("Frequency"), {15, 58, 797, 63});
    b.Label(freq, "lblRangeOfFrequency", QStringLiteral("Range Of Frequency"),
            QRect(14, 28, 128, 18));
    b.Combo(freq, ControlId::cboRangeFreq, {146, 24, 130, 24});
    b.Label(freq, "lblFrequency", QStringLiteral("Frequency"), QRect(312, 28, 70, 18));
    b.Edit(freq, ControlId::edtFreq, {384, 25, 90, 22}, 7);
    b.Label(freq, "lblFreqUnit", QStringLiteral("00Hz"), QRect(477, 28, 40, 18));
    b.Label(freq, "lblChannelSpace", QStringLiteral("Channel Space"), QRect(552, 28, 96, 18));
    b.Combo(freq, ControlId::cboCSpace, {650, 24, 110, 24});

    // The focus sink: one pixel, no border, the window's face colour.
    QLineEdit* sink = b.Edit(form, ControlId::edtNull, {265, 8, 1, 1});
    sink->setFrame(false);
    // Only the program puts the focus here: never a Tab stop, never clicked into.
    sink->setFocusPolicy(Qt::NoFocus);
    sink->setAccessibleName(QStringLiteral("none"));
    sink->setStyleSheet(
        QStringLiteral("QLineEdit { border: none; padding: 0; margin: 0;"
                       " background: palette(window); }"));
}

}  // namespace mk843nb
