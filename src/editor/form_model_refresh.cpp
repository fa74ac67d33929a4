// RefreshWindow: every control set from a new image, in one fixed order. Check
// boxes are set with SetChecked, so their click rules run when their state
// changes; lists are set with ShowIndex, which runs no rule, and the refresh
// runs the rules of cboRangeFreq, cboCSpace, cboPTL, cboResetCon and
// cboReminder itself. The image can change on the way.

#include "editor/control_catalog.h"
#include "editor/control_groups.h"
#include "editor/form_model.h"
#include "editor/numeric_fields.h"
#include "image/codecs.h"
#include "image/fields.h"
#include "image/frequency.h"

namespace mk843nb {

using enum ControlId;

void FormModel::ShowStored(ControlId control) {
    SetText(control, StoredText(*NumericFieldOf(control)));
}

Effects FormModel::RefreshWindow() {
    refreshing_ = true;

    const std::uint32_t version = GetFieldCode(image_, *ImageFieldOf(edtVersion));
    SetText(edtVersion, VersionText(static_cast<std::uint8_t>(version >> 8),
                                    static_cast<std::uint8_t>(version & 0xFF)));

    FrequencyDisplay();
    ShowIndex(cboRangeFreq, mk843nb::BandIndex(BandOfImage(image_)));
    cboRangeFreqClick();

    {
        const std::uint8_t cspace = Byte(cboCSpace);
        int index = cspace;
        if (cspace >= kAutoCSpaceBase) {
            const auto spacing = AutoSpacingOfCode(cspace);
            index = spacing ? 2 : -1;
            if (spacing) channelSpacing_ = *spacing;
        }
        ShowIndex(cboCSpace, index);
        cboCSpaceClick();
    }
    ComputeSynthesizer();

    // The bandwidth list moves, ToneSpacing stays until the user picks an item.
    ShowIndex(cboBandWidth, Byte(cboBandWidth));

    for (ControlId control : {edtBS_Period, edtBS_Duty}) ShowStored(control);
    if (auto index = BatteryLowIndexOfCode(Byte(cboBatteryLow))) ShowIndex(cboBatteryLow, *index);
    for (ControlId control : {edtRSSI, edtRSSI2, edtSSI, edtRFDelay, edtTone1Len, edtTone1Limit,
                              edtTone2Len, edtTone2Limit, edtTone3Len})
        ShowStored(control);

    for (ControlId box : kSystemBoxes) {
        SetChecked(box, Bit(box));
        if (box == chkSYSPTL) {
            ShowIndex(cboPTL, Bit(chkSYSPTL) ? (Bit(cboPTL) ? 2 : 1) : 0);
            cboPTLClick();
        }
        const bool voice = Checked(chkSYSSV);
        Enable(cboRecordMax, voice);
        Enable(Label21, voice);
        EnableByPrivacyAndAudio();
    }

    ShowIndex(cboResetCon, ResetConIndexOfCode(Byte(cboResetCon)));
    {
        const int code = Byte(cboResetCon);
        const bool delay = code == 1 || code == 4 || code == 5;
        SetVisible(edtDelay, delay);
        SetVisible(Label26, delay);
    }
    cboResetConClick();
    for (ControlId control : {edtDelay, edtAutoMonitor, edtAudioLock}) ShowStored(control);

    ShowIndex(cboReminder, ReminderIndexOfCode(Byte(cboReminder)));
    cboReminderClick();
    ShowIndex(cboRecordMax, Byte(cboRecordMax));
    ShowStored(edtDecorderReset);

    RefreshFamily(kTone1);
    RefreshFamily(kTone2);
    RefreshFamily(kGroup);

    for (const CallRow& row : kCallRows)
        ShowIndex(row.alertType, AlertTypeIndexOfByte(Byte(row.alertType)));
    for (const GroupRow& row : kGroupRows)
        ShowIndex(row.alertType, AlertTypeIndexOfByte(Byte(row.alertType)));
    for (const CallRow& row : kCallRows)
        SetText(row.alertTime, FormatHalfSeconds(Byte(row.alertTime)));
    for (const GroupRow& row : kGroupRows)
        SetText(row.alertTime, FormatHalfSeconds(Byte(row.alertTime)));
    for (const CallRow& row : kCallRows) SetChecked(row.priority, Bit(row.priority));
    for (const GroupRow& row : kGroupRows) SetChecked(row.priority, Bit(row.priority));

    for (int k = 1; k <= 4; ++k) {
        const ControlId duty = kCallRows[static_cast<std::size_t>(k - 1)].duty;
        const bool on = Bit(duty);
        EnableCallRow(k, on);
        SetChecked(duty, on);
    }
    for (int k = 1; k <= 2; ++k) {
        const ControlId duty = kGroupRows[static_cast<std::size_t>(k - 1)].duty;
        const bool on = Bit(duty);
        EnableGroupRow(k, on);
        SetChecked(duty, on);
    }

    for (ControlId control : {edtGapMax, edtNoiseLimit, edtSquelch}) ShowStored(control);
    SetChecked(chkVolumeLevel, Bit(chkVolumeLevel));
    SetChecked(chkFullTimeAutoMonitor, Bit(chkFullTimeAutoMonitor));
    for (ControlId control : {edtDelayFullTime, edtNRSSIRpTM, edtMiniRecTime}) ShowStored(control);

    refreshing_ = false;
    return TakeEffects();
}

}  // namespace mk843nb
