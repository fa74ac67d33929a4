#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

#include "editor/control_id.h"
#include "ui/design_builder.h"
#include "ui/keyboard_access.h"
#include "ui/page_builders.h"

namespace mk843nb {

namespace {

const QString kSecond = QStringLiteral("Second");
const QString kMaxVolumeHint = QStringLiteral(
    "If it is selected, the tone alert is at maximum volume regardless of the position of the "
    "control.");

QCheckBox* Option(DesignBuilder& b, QGroupBox* box, ControlId name, const QString& caption,
                  int left, int top, int tag, const QString& hint = {}) {
    QCheckBox* check = b.Check(box, name, caption, {left, top, 330, 22});
    check->setProperty("Tag", tag);
    if (!hint.isEmpty()) DesignBuilder::Hint(check, hint);
    return check;
}

void SystemOptions(DesignBuilder& b, QWidget* page) {
    QGroupBox* box = b.Group(page, "GroupBox5", QString(), {10, 4, 765, 196});
    TabDownColumns(box);
    Option(b, box, ControlId::chkSYSPow, QStringLiteral("Disable Power OFF"), 20, 14, 5,
           QStringLiteral("Enable or disable Power OFF with this option."));
    Option(b, box, ControlId::chkSYSVib, QStringLiteral("Disable vibration mode"), 20, 40, 6,
           QStringLiteral(
               "This mode adds a vibrator motor and permits selection of either the standard."));
    Option(b, box, ControlId::chkSYSPowSave, QStringLiteral("Power Save Disable"), 20, 66, 7,
           QStringLiteral("Enable or disable Power Save with this option."));
    Option(b, box, ControlId::chkSYSFIX, QStringLiteral("FIX Alert"), 20, 92, 4, kMaxVolumeHint);
    QCheckBox* volume = b.Check(box, ControlId::chkVolumeLevel,
                                QStringLiteral("Priority Max. Volume Level"), {20, 118, 330, 22});
    DesignBuilder::Hint(volume, kMaxVolumeHint);
    QLabel* notice = b.Label(box, ControlId::TBXLabel1,
                             QStringLiteral("Notice : Only usable when Priority Alert is enable."),
                             QRect(38, 144, 330, 18));
    DesignBuilder::TextColour(notice, DesignBuilder::CaptionBlue());
    // Follows the push-to-listen bit; the list below is what the user sees.
    Option(b, box, ControlId::chkSYSPTL, QStringLiteral("Push To Listen"), 20, 168, 2)->hide();

    QLabel* reset =
        b.Label(box, "lblResetControl", QStringLiteral("Reset control"), QRect(400, 20, 100, 18));
    DesignBuilder::Hint(
        reset,
        QStringLiteral(
            "Determines how a select call pager squelches a message after receiving a page."));
    b.Combo(box, ControlId::cboResetCon, {506, 16, 190, 24});
    QLabel* help = b.Label(box, ControlId::lblHelp, QStringLiteral("Help"), QRect(712, 20, 40, 18));
    DesignBuilder::Bold(help, true);
    DesignBuilder::TextColour(help, DesignBuilder::CaptionBlue());
    help->setCursor(Qt::PointingHandCursor);
    // A link to the help, so the keyboard reaches it too (Enter or Space opens it).
    help->setFocusPolicy(Qt::StrongFocus);
    DesignBuilder::Hint(help, QStringLiteral("To displays \"RESET FUNCTION HELP\"."));

    b.Label(box, ControlId::Label26, QStringLiteral("Delay Time"), QRect(400, 56, 100, 18))->hide();
    b.Edit(box, ControlId::edtDelay, {506, 53, 64, 22})->hide();
    b.Label(box, ControlId::Label32, kSecond, QRect(576, 56, 60, 18))->hide();

    QLabel* reminder =
        b.Label(box, "lblReminder", QStringLiteral("Reminder"), QRect(400, 92, 100, 18));
    DesignBuilder::Hint(reminder, QStringLiteral("When \u201CSave voice\u201D is present, this "
                                                 "option establishes the time witch the pager"));
    b.Combo(box, ControlId::cboReminder, {506, 88, 130, 24});

    // Kept for the image's low-battery byte; never shown, and choosing in it writes nothing.
    b.Label(box, "lblBatteryLow", QStringLiteral("Low Battery"), QRect(400, 128, 100, 18))->hide();
    b.Combo(box, ControlId::cboBatteryLow, {506, 124, 90, 24})->hide();
}

void PrivacyAndMonitor(DesignBuilder& b, QWidget* page) {
    QGroupBox* box = b.Group(page, "GroupBox9", QString(), {10, 204, 765, 104});
    TabDownColumns(box);
    Option(b, box, ControlId::chkSYSPrivacy, QStringLiteral("Privacy Enable"), 20, 16, 8,
           QStringLiteral("When it is selected, prevents the reset button from being used to "
                          "monitor the channel."));
    QLabel* ptl =
        b.Label(box, ControlId::Label75, QStringLiteral("Push To Listen"), QRect(20, 50, 100, 18));
    DesignBuilder::Hint(ptl, QStringLiteral("With this option the pager will be quite until the "
                                            "alert tones are sent, then the pager will alert "
                                            "but there will be no audio message after the alert."));
    b.Combo(box, ControlId::cboPTL, {124, 46, 200, 24});

    QLabel* autoMon = b.Label(box, ControlId::Label23, QStringLiteral("Auto Monitor key time"),
                              QRect(400, 18, 160, 18));
    DesignBuilder::Hint(
        autoMon,
        QStringLiteral("This determines how much time you need to keep pressing the monitor/reset "
                       "button, then it will "
                       "automatically switch to Auto Monitor mode.(Suggested 1-5 seconds)"));
    b.Edit(box, ControlId::edtAutoMonitor, {566, 15, 64, 22});
    b.Label(box, ControlId::Label30, kSecond, QRect(636, 18, 60, 18));

    Option(b, box, ControlId::chkSYSAudio, QStringLiteral("Audio lock on"), 400, 44, 3,
           QStringLiteral("Enable or disable Audio lock on mode with this option."));
    QLabel* lock = b.Label(box, ControlId::Label24, QStringLiteral("Audio lock on key time"),
                           QRect(400, 74, 160, 18));
    DesignBuilder::Hint(
        lock, QStringLiteral(
                  "Determine how much time you need to keep pressing this monitor/reset button."));
    b.Edit(box, ControlId::edtAudioLock, {566, 71, 64, 22});
    b.Label(box, ControlId::Label31, kSecond, QRect(636, 74, 60, 18));
}

void RecordAndStandby(DesignBuilder& b, QWidget* page) {
    QGroupBox* record = b.Group(page, "GroupBox6", QString(), {10, 312, 375, 84});
    Option(b, record, ControlId::chkSYSSV, QStringLiteral("Save voice"), 20, 14, 1,
           QStringLiteral("Enable or disable stored voice on models with this option."));
    QLabel* section = b.Label(record, ControlId::Label21, QStringLiteral("Record Section"),
                              QRect(20, 50, 100, 18));
    DesignBuilder::Hint(section,
                        QStringLiteral("Select the maximum length (in seconds) of a message."));
    b.Combo(record, ControlId::cboRecordMax, {124, 46, 200, 24});

    QGroupBox* standby = b.Group(page, "GroupBox11", QString(), {395, 312, 380, 84});
    b.Check(standby, ControlId::chkFullTimeAutoMonitor, QStringLiteral("Full Time Auto Monitor"),
            {15, 14, 250, 22});
    b.Label(standby, ControlId::lblStandbyToMonitorDelay,
            QStringLiteral("Standby To Monitor Delay Time"), QRect(15, 50, 200, 18))
        ->setEnabled(false);
    b.Edit(standby, ControlId::edtDelayFullTime, {220, 47, 64, 22})->setEnabled(false);
    b.Label(standby, ControlId::lblStandbySec, QStringLiteral("seconds"), QRect(290, 50, 60, 18))
        ->setEnabled(false);
}

}  // namespace

void BuildSettingPage(DesignBuilder& b, QWidget* page) {
    SystemOptions(b, page);
    PrivacyAndMonitor(b, page);
    RecordAndStandby(b, page);
}

}  // namespace mk843nb
