// RefreshWindow: every control set from a new image, in one fixed order. Check
// boxes are set with SetChecked, so their click rules run when their state
// changes; lists are set with ShowIndex, which runs no rule, and the refresh
// runs the rules of cboRangeFreq, cboCSpace, cboPTL, cboResetCon and
// cboReminder itself. The image can change on the way.

#include "editor/form_model.h"
#include "editor/numeric_fields.h"
#include "image/codecs.h"
#include "image/fields.h"
#include "image/frequency.h"

namespace mk843nb {
namespace {

bool Bit(const PagerImage& image, std::size_t offset, int bit) {
    return GetBits(image, offset, bit, 1) != 0;
}

}  // namespace

Effects FormModel::RefreshWindow() {
    refreshing_ = true;
    const PagerImage& im = image_;

    SetText("edtVersion", VersionText(im[1], im[2]));

    FrequencyDisplay();
    ShowIndex("cboRangeFreq", mk843nb::BandIndex(BandOfImage(im)));
    cboRangeFreqClick();

    {
        const std::uint8_t cspace = im[kCSpaceOffset];
        int index = cspace;
        if (cspace >= kAutoCSpaceBase) {
            const auto spacing = AutoSpacingOfCode(cspace);
            index = spacing ? 2 : -1;
            if (spacing) channelSpacing_ = *spacing;
        }
        ShowIndex("cboCSpace", index);
        cboCSpaceClick();
    }
    ComputeSynthesizer();

    // The bandwidth list moves, ToneSpacing stays until the user picks an item.
    ShowIndex("cboBandWidth", im[49]);

    for (const char* name : {"edtBS_Period", "edtBS_Duty"})
        SetText(name, StoredText(*FindNumericField(name)));
    if (auto index = BatteryLowIndexOfCode(im[63])) ShowIndex("cboBatteryLow", *index);
    for (const char* name : {"edtRSSI", "edtRSSI2", "edtSSI", "edtRFDelay", "edtTone1Len",
                             "edtTone1Limit", "edtTone2Len", "edtTone2Limit", "edtTone3Len"})
        SetText(name, StoredText(*FindNumericField(name)));

    static constexpr std::array<std::string_view, 8> kSys = {
        "chkSYSSV",  "chkSYSPTL", "chkSYSAudio",   "chkSYSFIX",
        "chkSYSPow", "chkSYSVib", "chkSYSPowSave", "chkSYSPrivacy"};
    for (int i = 1; i <= 8; ++i) {
        SetChecked(kSys[static_cast<std::size_t>(i - 1)], Bit(im, 69, i - 1));
        if (i == 2) {
            ShowIndex("cboPTL", Bit(im, 69, 1) ? (Bit(im, 81, 4) ? 2 : 1) : 0);
            cboPTLClick();
        }
        const bool voice = Checked("chkSYSSV");
        Enable("cboRecordMax", voice);
        Enable("Label21", voice);
        EnableByPrivacyAndAudio();
    }

    ShowIndex("cboResetCon", ResetConIndexOfCode(im[67]));
    {
        const int code = im[67];
        const bool delay = code == 1 || code == 4 || code == 5;
        SetVisible("edtDelay", delay);
        SetVisible("Label26", delay);
    }
    cboResetConClick();
    for (const char* name : {"edtDelay", "edtAutoMonitor", "edtAudioLock"})
        SetText(name, StoredText(*FindNumericField(name)));

    ShowIndex("cboReminder", ReminderIndexOfCode(im[70]));
    cboReminderClick();
    ShowIndex("cboRecordMax", im[62]);
    SetText("edtDecorderReset", StoredText(*FindNumericField("edtDecorderReset")));

    RefreshFamily(kTone1);
    RefreshFamily(kTone2);
    RefreshFamily(kGroup);

    for (int k = 1; k <= 4; ++k) {
        const std::size_t alert = 96 + 2 * static_cast<std::size_t>(k - 1);
        ShowIndex("cboAlertType" + std::to_string(k), AlertTypeIndexOfByte(im[alert]));
    }
    for (int k = 1; k <= 2; ++k) {
        const std::size_t alert = 112 + 2 * static_cast<std::size_t>(k - 1);
        ShowIndex("cboGAlertType" + std::to_string(k), AlertTypeIndexOfByte(im[alert]));
    }
    for (int k = 1; k <= 4; ++k)
        SetText("edtAlertTime" + std::to_string(k),
                FormatHalfSeconds(im[97 + 2 * static_cast<std::size_t>(k - 1)]));
    for (int k = 1; k <= 2; ++k)
        SetText("edtGAlertTime" + std::to_string(k),
                FormatHalfSeconds(im[113 + 2 * static_cast<std::size_t>(k - 1)]));
    for (int k = 1; k <= 4; ++k)
        SetChecked("chkPriority" + std::to_string(k),
                   Bit(im, 96 + 2 * static_cast<std::size_t>(k - 1), 7));
    for (int k = 1; k <= 2; ++k)
        SetChecked("chkGPriority" + std::to_string(k),
                   Bit(im, 112 + 2 * static_cast<std::size_t>(k - 1), 7));

    for (int k = 1; k <= 4; ++k) {
        const bool on = Bit(im, 48, k - 1);
        EnableCallRow(k, on);
        SetChecked("chkDuty" + std::to_string(k), on);
    }
    for (int k = 1; k <= 2; ++k) {
        const bool on = Bit(im, 95, k - 1);
        EnableGroupRow(k, on);
        SetChecked("chkGDuty" + std::to_string(k), on);
    }

    for (const char* name : {"edtGapMax", "edtNoiseLimit", "edtSquelch"})
        SetText(name, StoredText(*FindNumericField(name)));
    SetChecked("chkVolumeLevel", Bit(im, 81, 3));
    SetChecked("chkFullTimeAutoMonitor", Bit(im, 81, 2));
    for (const char* name : {"edtDelayFullTime", "edtNRSSIRpTM", "edtMiniRecTime"})
        SetText(name, StoredText(*FindNumericField(name)));

    refreshing_ = false;
    return TakeEffects();
}

}  // namespace mk843nb
