#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

#include "ui/design_builder.h"
#include "ui/page_builders.h"

namespace mk843nb {

namespace {

constexpr int kRowHeight = 50;
constexpr int kTone1Left = 240;
constexpr int kTone2Left = 380;
constexpr int kPriorityLeft = 520;
constexpr int kAlertTypeLeft = 640;

QByteArray Name(const char* prefix, int n) { return QByteArray(prefix) + QByteArray::number(n); }

// "ON" box, the panel with the call's number, and the priority box of one row.
void CallRowFrame(DesignBuilder& b, QGroupBox* box, const char* duty, const char* panel,
                  const char* priority, int n, int top) {
    QCheckBox* on =
        b.Check(box, Name(duty, n).constData(), QStringLiteral("ON"), {20, top + 3, 50, 22});
    DesignBuilder::Hint(on, QStringLiteral("Enable or disable CALL #%1.").arg(n));
    QFrame* pan = b.Panel(box, Name(panel, n).constData(), {80, top, 120, 28});
    QLabel* caption =
        b.Label(pan, Name(QByteArray(panel).replace("pan", "lbl").constData(), n).constData(),
                QStringLiteral("CALL #%1").arg(n), QRect(2, 2, 116, 24));
    caption->setAlignment(Qt::AlignCenter);
    DesignBuilder::Bold(caption);
    QCheckBox* prio = b.Check(box, Name(priority, n).constData(), QStringLiteral("Priority Alert"),
                              {kPriorityLeft, top + 3, 110, 22});
    DesignBuilder::Hint(
        prio, QStringLiteral("When it is selected, vibrate alerts are replaces by tone alerts."));
}

// The alert type and time of a call: kept in the image, never shown.
void HiddenAlertControls(DesignBuilder& b, QGroupBox* box, const char* type, const char* time,
                         int n, int top) {
    QComboBox* alertType =
        b.Combo(box, Name(type, n).constData(), {kAlertTypeLeft, top + 2, 40, 24});
    QLineEdit* alertTime = b.Edit(box, Name(time, n).constData(), {688, top + 3, 40, 22});
    QLabel* second = b.Label(box, Name(time, n).replace("edt", "lbl").append("Sec").constData(),
                             QStringLiteral("Second"), QRect(730, top + 6, 40, 18));
    alertType->hide();
    alertTime->hide();
    second->hide();
}

QLineEdit* ToneField(DesignBuilder& b, QGroupBox* box, const QByteArray& name, int left, int top,
                     const QString& accessibleName) {
    QLineEdit* tone = b.Edit(box, name.constData(), {left, top + 3, 100, 22});
    // No label stands left of a tone field: its row and column name it.
    tone->setAccessibleName(accessibleName);
    // The tone fields carry a hint that is never shown: the F9 prompt takes its place.
    tone->setProperty("hint", QStringLiteral("Press F9 to open Tone Table."));
    return tone;
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
    QLabel* open = b.Label(calls, "Label9", QStringLiteral("("), QRect(528, 24, 8, 18));
    QLabel* f9 = b.Label(calls, "Label1", QStringLiteral("F9"), QRect(537, 24, 20, 18));
    QLabel* text =
        b.Label(calls, "Label2", QStringLiteral("Open tone table )"), QRect(559, 24, 130, 18));
    DesignBuilder::TextColour(f9, Qt::blue);
    DesignBuilder::Bold(f9);
    for (QLabel* l : {open, f9, text}) l->hide();

    for (int n = 1; n <= 4; ++n) {
        const int top = 48 + (n - 1) * kRowHeight;
        CallRowFrame(b, calls, "chkDuty", "panCall", "chkPriority", n, top);
        ToneField(b, calls, Name("edtT1", n), kTone1Left, top,
                  QStringLiteral("CALL #%1 TONE1").arg(n));
        ToneField(b, calls, Name("edtT2", n), kTone2Left, top,
                  QStringLiteral("CALL #%1 TONE2").arg(n));
        HiddenAlertControls(b, calls, "cboAlertType", "edtAlertTime", n, top);
    }

    QGroupBox* groups =
        b.Group(page, "GroupBox7", QStringLiteral("Group CALL"), {10, 276, 765, 150});
    b.Label(groups, "lblGroupTone", QStringLiteral("TONE"), QRect(kTone1Left + 34, 24, 60, 18));
    b.Label(groups, "lblGAlertType", QStringLiteral("Alert Type"),
            QRect(kAlertTypeLeft, 24, 60, 18))
        ->hide();
    b.Label(groups, "lblGAlertTime", QStringLiteral("Alert Time"), QRect(700, 24, 60, 18))->hide();
    for (int k = 1; k <= 2; ++k) {
        const int top = 48 + (k - 1) * kRowHeight;
        CallRowFrame(b, groups, "chkGDuty", "panGCall", "chkGPriority", k, top);
        ToneField(b, groups, Name("edtT3", k), kTone1Left, top,
                  QStringLiteral("Group CALL #%1 TONE").arg(k));
        HiddenAlertControls(b, groups, "cboGAlertType", "edtGAlertTime", k, top);
    }
}

}  // namespace mk843nb
