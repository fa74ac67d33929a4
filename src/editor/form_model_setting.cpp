// The Setting page's interlocks, the decoder bandwidth of the Advance Setting
// page and the leave checks of every numeric field.

#include <cmath>

#include "editor/control_catalog.h"
#include "editor/editor_messages.h"
#include "editor/form_model.h"
#include "editor/numeric_fields.h"
#include "image/codecs.h"
#include "image/fields.h"

namespace mk843nb {
namespace {

bool ShowsDelay(int code) { return code == 1 || code == 4 || code == 5; }

}  // namespace

using enum ControlId;

// --- system options ---------------------------------------------------------

void FormModel::EnableByPrivacyAndAudio() {
    if (Checked(chkSYSPrivacy)) {
        for (ControlId control : {chkSYSAudio, edtAudioLock, edtAutoMonitor, Label24, Label31,
                                  Label23, Label30, Label75, cboPTL})
            Enable(control, false);
        return;
    }
    for (ControlId control : {chkSYSAudio, edtAutoMonitor, Label23, Label30, Label75, cboPTL})
        Enable(control, true);
    const bool audio = Checked(chkSYSAudio);
    for (ControlId control : {edtAudioLock, Label24, Label31}) Enable(control, audio);
}

// The shared click handler of the eight chkSYS boxes: each stores its bit of SYS.
void FormModel::chkSYSSVClick(ControlId box) {
    const bool on = Checked(box);
    if (box == chkSYSSV) {
        Enable(cboRecordMax, on);
        Enable(Label21, on);
    } else if (box == chkSYSPrivacy) {
        // Set from an image, Privacy only locks and unlocks: it never switches the
        // image's Push To Listen setting on or off.
        if (on) {
            for (ControlId control :
                 {chkSYSAudio, edtAudioLock, edtAutoMonitor, Label24, Label31, Label23, Label30})
                Enable(control, false);
            if (!refreshing_) {
                ShowIndex(cboPTL, 0);
                cboPTLClick();
            }
            Enable(Label75, false);
            Enable(cboPTL, false);
        } else {
            for (ControlId control : {chkSYSAudio, edtAutoMonitor, Label23, Label30})
                Enable(control, true);
            const bool audio = Checked(chkSYSAudio);
            for (ControlId control : {edtAudioLock, Label24, Label31}) Enable(control, audio);
            if (!refreshing_) {
                ShowIndex(cboPTL, Bit(cboPTL) ? 2 : 1);
                cboPTLClick();
            }
            Enable(Label75, true);
            Enable(cboPTL, true);
        }
    } else if (box == chkSYSAudio) {
        for (ControlId control : {edtAudioLock, Label24, Label31}) Enable(control, on);
    }
    SetBit(box, on);
}

void FormModel::cboResetConClick() {
    const int index = C(cboResetCon).itemIndex;
    if (index >= 0) SetByte(cboResetCon, static_cast<std::uint8_t>(ResetConCodeOfIndex(index)));
    const bool shown = ShowsDelay(Byte(cboResetCon));
    for (ControlId control : {Label32, edtDelay, Label26}) SetVisible(control, shown);
}

void FormModel::cboPTLClick() {
    const int index = C(cboPTL).itemIndex;
    if (index < 0) return;
    ControlState& reset = C(cboResetCon);
    const int code = Byte(cboResetCon);
    if (index == 0) {
        SetBit(chkSYSPTL, false);
        reset.items.assign(kResetConItems.begin(), kResetConItems.end());
        ShowIndex(cboResetCon, ResetConIndexOfCode(code));
        cboResetConClick();
        return;
    }
    SetBit(chkSYSPTL, true);
    // With Push To Listen on, the "Revert" methods are not offered.
    reset.items.assign(kResetConItems.begin(), kResetConItems.begin() + 4);
    ShowIndex(cboResetCon, code == 2 || code == 5 ? 0 : ResetConIndexOfCode(code));
    cboResetConClick();
    SetBit(cboPTL, index == 2);
}

void FormModel::cboReminderClick() {
    SetByte(cboReminder, ReminderCodeOfIndex(C(cboReminder).itemIndex));
}

void FormModel::cboRecordMaxClick() {
    const int index = C(cboRecordMax).itemIndex;
    if (index >= 0) SetByte(cboRecordMax, static_cast<std::uint8_t>(index));
}

void FormModel::chkFullTimeAutoMonitorClick() {
    const bool on = Checked(chkFullTimeAutoMonitor);
    SetBit(chkFullTimeAutoMonitor, on);
    for (ControlId control : {lblStandbyToMonitorDelay, edtDelayFullTime, lblStandbySec})
        Enable(control, on);
}

void FormModel::cboBandWidthClick() {
    const int index = C(cboBandWidth).itemIndex;
    if (index < 0) return;
    SetByte(cboBandWidth, static_cast<std::uint8_t>(index));
    toneSpacing_ = ToneSpacingOfBandWidthIndex(index);
}

// --- numeric fields ---------------------------------------------------------

std::string FormModel::StoredText(const NumericField& field) const {
    switch (field.kind) {
        case NumericKind::Byte:
            return std::to_string(image_[field.offset]);
        case NumericKind::Word:
            return std::to_string(GetWord(image_, field.offset));
        case NumericKind::HalfSecond:
            return FormatHalfSeconds(image_[field.offset]);
        case NumericKind::Voltage:
            return FormatVoltage(image_[field.offset]);
    }
    return {};
}

// edtBS_PeriodExit and its kin: one check per kind, driven by the field's row.
void FormModel::NumericExit(const NumericField& field) {
    const std::string text = C(field.control).text;
    if (text.empty()) {
        SetText(field.control, StoredText(field));
        if (field.control == edtSquelch) FocusNull();
        return;
    }
    const auto refuse = [&](Message message) {
        Show(std::move(message));
        FocusTo(field.control);
    };
    switch (field.kind) {
        case NumericKind::Byte:
        case NumericKind::Word: {
            const auto value = ParseInteger(text);
            if (!value) return refuse(messages::NotANumber(text));
            // Compared in double as typed: a value beyond 2^53 is far out of every range anyway.
            const auto number = static_cast<double>(*value);
            if (number < field.low || number > field.high)
                return refuse(messages::Range(field.lowText, field.highText));
            // The text stays as typed: 007 stays 007 and writes 7.
            if (field.kind == NumericKind::Byte)
                image_[field.offset] = static_cast<std::uint8_t>(*value);
            else
                SetWord(image_, field.offset, static_cast<std::uint16_t>(*value));
            return;
        }
        case NumericKind::HalfSecond: {
            const auto value = ParseNumber(text);
            if (!value) return refuse(messages::NotANumber(text));
            // Far out of range values are refused before they are narrowed to single precision.
            if (!(*value > -1000 && *value < 1000))
                return refuse(messages::Range(field.lowText, field.highText));
            const float x = static_cast<float>(*value);
            if (!(x >= field.low && x <= field.high))
                return refuse(messages::Range(field.lowText, field.highText));
            const float whole = std::trunc(x);
            float seconds = whole;
            if (x != whole) {
                // On the grid when x rounded to one decimal is w.5; a pasted 3.49 then
                // shows and stores 3.5 alike.
                if (FormatFixed(x, 0, 1) != FormatFixed(whole + 0.5f, 0, 1)) {
                    Show(messages::HalfSecondInterval());
                    SetText(field.control, StoredText(field));
                    return;
                }
                seconds = whole + 0.5f;
            }
            SetText(field.control, FormatFixed(seconds, 1, 1));
            image_[field.offset] = EncodeHalfSeconds(seconds);
            return;
        }
        case NumericKind::Voltage: {
            const auto value = ParseNumber(text);
            if (!value) return refuse(messages::NotANumber(text));
            if (!(*value >= field.low && *value <= field.high))
                return refuse(messages::Range(field.lowText, field.highText));
            // The code is taken from the text shown, so a pasted 0.999 shows 1.00 and stores 85.
            const std::string shown = FormatFixed(*value, 1, 2);
            SetText(field.control, shown);
            image_[field.offset] = EncodeVoltage(ParseNumber(shown).value_or(*value));
            return;
        }
    }
}

}  // namespace mk843nb
