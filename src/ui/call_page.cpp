#include "sound/call_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

#include "editor/control_groups.h"
#include "ui/call_page_player.h"
#include "ui/design_builder.h"
#include "ui/page_builders.h"

namespace mk843nb {

namespace {

constexpr int kRowHeight = 50;
constexpr int kTone1Left = 240;
constexpr int kTone2Left = 380;
constexpr int kPriorityLeft = 520;
constexpr int kAlertTypeLeft = 640;

// "ON" box, the panel with the call's number, and the priority box of one row.
void CallRowFrame(DesignBuilder& b, QGroupBox* box, ControlId duty, ControlId panel,
                  ControlId priority, int n, int top) {
    QCheckBox* on = b.Check(box, duty, QStringLiteral("ON"), {20, top + 3, 50, 22});
    DesignBuilder::Hint(on, QStringLiteral("Enable or disable CALL #%1.").arg(n));
    QFrame* pan = b.Panel(box, panel, {80, top, 120, 28});
    QLabel* caption = b.Label(pan, "", QStringLiteral("CALL #%1").arg(n), QRect(2, 2, 116, 24));
    caption->setAlignment(Qt::AlignCenter);
    DesignBuilder::Bold(caption);
    QCheckBox* prio =
        b.Check(box, priority, QStringLiteral("Priority Alert"), {kPriorityLeft, top + 3, 110, 22});
    DesignBuilder::Hint(
        prio, QStringLiteral("When it is selected, vibrate alerts are replaces by tone alerts."));
}

// The alert type and time of a call: kept in the image, never shown.
void HiddenAlertControls(DesignBuilder& b, QGroupBox* box, ControlId type, ControlId time,
                         int top) {
    QComboBox* alertType = b.Combo(box, type, {kAlertTypeLeft, top + 2, 40, 24});
    QLineEdit* alertTime = b.Edit(box, time, {688, top + 3, 40, 22});
    QLabel* second = b.Label(box, "", QStringLiteral("Second"), QRect(730, top + 6, 40, 18));
    alertType->hide();
    alertTime->hide();
    second->hide();
}

QLineEdit* ToneField(DesignBuilder& b, QGroupBox* box, ControlId tone, int left, int top,
                     const QString& accessibleName) {
    QLineEdit* edit = b.Edit(box, tone, {left, top + 3, 100, 22});
    // No label stands left of a tone field: its row and column name it.
    edit->setAccessibleName(accessibleName);
    // The tone fields carry a hint that is never shown: the F9 prompt takes its place.
    edit->setProperty("hint", QStringLiteral("Press F9 to open Tone Table."));
    return edit;
}

// The button that sounds a call's test page: the view's own, no control of the form.
void PlayButton(DesignBuilder& b, QGroupBox* box, const QString& name, int left, int top,
                const QString& hint) {
    auto* button = new QToolButton(box);
    button->setObjectName(name);
    button->setProperty("viewOnly", true);
    button->setCheckable(true);
    // A click takes the focus, so a tone typed but not yet left is checked and kept first.
    button->setFocusPolicy(Qt::StrongFocus);
    ShowPlaying(button, false);
    button->setToolTip(hint);
    button->setAccessibleName(hint);
    b.Add(button, {left, top + 2, 35, 24});
}

}  // namespace

void BuildCallPage(DesignBuilder& b, QWidget* page) {
    QGroupBox* calls =
        b.Group(page, "GroupBox2", QStringLiteral("TONE 1 && TONE 2 "), {10, 6, 765, 260});
    b.Label(calls, "lblTone1", QStringLiteral("TONE1"), QRect(kTone1Left + 30, 24, 60, 18));
    b.Label(calls, "lblTone2", QStringLiteral("TONE2"), QRect(kTone2Left + 30, 24, 60, 18));
    b.Label(calls, "lblAlertType", QStringLiteral("Alert Type"), QRect(kAlertTypeLeft, 24, 60, 18))
        ->hide();
    b.Label(calls, "lblAlertTime", QStringLiteral("Alert Time"), QRect(700, 24, 60, 18))->hide();

    // The tone-table prompt, shown while a tone field has the focus in Standard Mode.
    QLabel* open = b.Label(calls, ControlId::Label9, QStringLiteral("("), QRect(528, 24, 8, 18));
    QLabel* f9 = b.Label(calls, ControlId::Label1, QStringLiteral("F9"), QRect(537, 24, 20, 18));
    QLabel* text = b.Label(calls, ControlId::Label2, QStringLiteral("Open tone table )"),
                           QRect(559, 24, 130, 18));
    DesignBuilder::TextColour(f9, DesignBuilder::CaptionBlue());
    DesignBuilder::Bold(f9);
    for (QLabel* l : {open, f9, text}) l->hide();

    const PageTiming timing;  // what a play button sounds
    for (int n = 1; n <= 4; ++n) {
        const CallRow& row = kCallRows[static_cast<std::size_t>(n - 1)];
        const int top = 48 + (n - 1) * kRowHeight;
        CallRowFrame(b, calls, row.duty, row.panel, row.priority, n, top);
        ToneField(b, calls, row.tone1, kTone1Left, top, QStringLiteral("CALL #%1 TONE1").arg(n));
        ToneField(b, calls, row.tone2, kTone2Left, top, QStringLiteral("CALL #%1 TONE2").arg(n));
        PlayButton(b, calls, QStringLiteral("btnPlayCall%1").arg(n), kTone2Left + 103, top,
                   QStringLiteral("Play the test page of CALL #%1: TONE1 for %2 s, then TONE2 "
                                  "for %3 s")
                       .arg(n)
                       .arg(timing.aSeconds)
                       .arg(timing.bSeconds));
        HiddenAlertControls(b, calls, row.alertType, row.alertTime, top);
    }

    QGroupBox* groups =
        b.Group(page, "GroupBox7", QStringLiteral("Group CALL"), {10, 276, 765, 150});
    b.Label(groups, "lblGroupTone", QStringLiteral("TONE"), QRect(kTone1Left + 34, 24, 60, 18));
    b.Label(groups, "lblGAlertType", QStringLiteral("Alert Type"),
            QRect(kAlertTypeLeft, 24, 60, 18))
        ->hide();
    b.Label(groups, "lblGAlertTime", QStringLiteral("Alert Time"), QRect(700, 24, 60, 18))->hide();
    for (int k = 1; k <= 2; ++k) {
        const GroupRow& row = kGroupRows[static_cast<std::size_t>(k - 1)];
        const int top = 48 + (k - 1) * kRowHeight;
        CallRowFrame(b, groups, row.duty, row.panel, row.priority, k, top);
        ToneField(b, groups, row.tone, kTone1Left, top,
                  QStringLiteral("Group CALL #%1 TONE").arg(k));
        PlayButton(b, groups, QStringLiteral("btnPlayGroup%1").arg(k), kTone1Left + 106, top,
                   QStringLiteral("Play the test page of Group CALL #%1: its tone for %2 s")
                       .arg(k)
                       .arg(timing.groupSeconds));
        HiddenAlertControls(b, groups, row.alertType, row.alertTime, top);
    }
}

}  // namespace mk843nb
