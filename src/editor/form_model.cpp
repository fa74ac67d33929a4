#include "editor/form_model.h"

#include <algorithm>
#include <cctype>

#include "editor/control_catalog.h"
#include "editor/control_groups.h"
#include "editor/editor_messages.h"
#include "editor/numeric_fields.h"
#include "image/fields.h"

namespace mk843nb {

using enum ControlId;

FormModel::FormModel() {
    image_ = DefaultImage();
    StampModelTag(image_);
    static const std::vector<ControlState> design = DesignStates();
    std::copy(design.begin(), design.end(), controls_.begin());
    RefreshWindow();
}

// --- controls ---------------------------------------------------------------

const ControlState* FormModel::Find(std::string_view control) const {
    const auto id = FindControl(control);
    return id ? &C(*id) : nullptr;
}

bool FormModel::IsEditingControl(ControlId control) {
    switch (Control(control).kind) {
        case ControlKind::Edit:
        case ControlKind::Combo:
        case ControlKind::Check:
        case ControlKind::Button:
            return true;
        default:
            return false;
    }
}

bool FormModel::IsPassiveEdit(ControlId control) {
    return control == edtNull || control == edtVersion;
}

void FormModel::Enable(ControlId control, bool enabled) {
    if (enabled && WriteMode() && IsEditingControl(control) && !IsPassiveEdit(control)) return;
    C(control).enabled = enabled;
}

void FormModel::ShowIndex(ControlId control, int index) {
    ControlState& list = C(control);
    list.itemIndex = index >= 0 && index < static_cast<int>(list.items.size()) ? index : -1;
}

void FormModel::SetChecked(ControlId control, bool checked) {
    ControlState& box = C(control);
    if (box.checked == checked) return;
    box.checked = checked;
    RunClickRule(control);
}

bool FormModel::Usable(ControlId control) const {
    const ControlState& state = C(control);
    return state.enabled && state.visible;
}

bool FormModel::StandardMode() const { return Checked(radStandard); }
bool FormModel::WriteMode() const { return Checked(RBtWrite); }

std::uint8_t FormModel::Byte(ControlId control) const {
    return image_[ImageFieldOf(control)->offset];
}
void FormModel::SetByte(ControlId control, std::uint8_t value) {
    image_[ImageFieldOf(control)->offset] = value;
}
bool FormModel::Bit(ControlId control) const {
    return GetFieldCode(image_, *ImageFieldOf(control)) != 0;
}
void FormModel::SetBit(ControlId control, bool on) {
    SetFieldCode(image_, *ImageFieldOf(control), on ? 1 : 0);
}

void FormModel::Push(EffectKind kind, ControlId control, Message message) {
    Effect& effect = effects_.emplace_back();
    effect.kind = kind;
    effect.control = control;
    effect.message = std::move(message);
}
void FormModel::Show(Message message) {
    Push(EffectKind::ShowMessage, edtNull, std::move(message));
}
void FormModel::FocusTo(ControlId control) { Push(EffectKind::FocusTo, control); }
void FormModel::FocusNull() { Push(EffectKind::FocusNull); }
void FormModel::CloseWindow(std::string window) {
    Push(EffectKind::CloseWindow);
    effects_.back().window = std::move(window);
}

Effects FormModel::TakeEffects() {
    Effects out;
    out.swap(effects_);
    return out;
}

// --- the rules by control ---------------------------------------------------

void FormModel::RunClickRule(ControlId control) {
    switch (control) {
        case chkSYSSV:
        case chkSYSPTL:
        case chkSYSAudio:
        case chkSYSFIX:
        case chkSYSPow:
        case chkSYSVib:
        case chkSYSPowSave:
        case chkSYSPrivacy:
            return chkSYSSVClick(control);
        case chkDuty1:
            return chkDuty1Click(1);
        case chkDuty2:
            return chkDuty1Click(2);
        case chkDuty3:
            return chkDuty1Click(3);
        case chkDuty4:
            return chkDuty1Click(4);
        case chkGDuty1:
            return chkGDuty1Click(1);
        case chkGDuty2:
            return chkGDuty1Click(2);
        // The priority boxes and the volume box only store their bit.
        case chkPriority1:
        case chkPriority2:
        case chkPriority3:
        case chkPriority4:
        case chkGPriority1:
        case chkGPriority2:
        case chkVolumeLevel:
            return SetBit(control, Checked(control));
        case chkFullTimeAutoMonitor:
            return chkFullTimeAutoMonitorClick();
        default:
            return;
    }
}

void FormModel::RunSelectRule(ControlId control) {
    switch (control) {
        case cboRangeFreq:
            return cboRangeFreqClick();
        case cboCSpace:
            return cboCSpaceClick();
        case cboResetCon:
            return cboResetConClick();
        case cboPTL:
            return cboPTLClick();
        case cboReminder:
            return cboReminderClick();
        case cboRecordMax:
            return cboRecordMaxClick();
        case cboBandWidth:
            return cboBandWidthClick();
        default:
            // cboBatteryLow writes nothing; the alert-type lists are never shown.
            return;
    }
}

// --- the user's events ------------------------------------------------------

namespace {

bool IsAlertTime(ControlId control) {
    for (const CallRow& row : kCallRows)
        if (row.alertTime == control) return true;
    for (const GroupRow& row : kGroupRows)
        if (row.alertTime == control) return true;
    return false;
}

}  // namespace

Effects FormModel::Enter(ControlId control) {
    if (!Usable(control)) return {};
    ToneField tone{};
    if (ToneFieldOf(control, tone)) {
        if (StandardMode()) {
            SetVisible(Label9, true);
            SetVisible(Label1, true);
            SetVisible(Label2, true);
        }
        SetText(control, "");
        curTone_[tone.family] = tone.tag;
    } else if (NumericFieldOf(control) != nullptr || control == edtFreq || IsAlertTime(control)) {
        SetText(control, "");
    }
    return TakeEffects();
}

KeyOutcome FormModel::KeyPress(ControlId control, char key) {
    if (!Usable(control)) return {false, {}};
    KeyOutcome outcome;
    ToneField tone{};
    const std::string& text = C(control).text;
    if (ToneFieldOf(control, tone)) {
        if (key == '\r') {
            ToneExit(tone.family, tone.tag);
            FocusNull();
            outcome.accepted = false;
        } else {
            outcome.accepted = FilterAccepts(KeyFilter::OneDecimal, text, key);
        }
    } else if (const NumericField* field = NumericFieldOf(control)) {
        switch (field->filter) {
            case KeyFilter::Digits:
                outcome.accepted = FilterAccepts(KeyFilter::Digits, text, key);
                if (key == '\r')
                    FocusNull();
                else if (!outcome.accepted)
                    Show(messages::InsertNumeric());
                break;
            case KeyFilter::OneDecimal:
                if (key == '\r') {
                    NumericExit(*field);
                    FocusNull();
                    outcome.accepted = false;
                } else {
                    outcome.accepted = FilterAccepts(KeyFilter::OneDecimal, text, key);
                }
                break;
            case KeyFilter::TwoDecimals:
                // Enter checks the value and then fails the filter like any other non-digit.
                if (key == '\r') NumericExit(*field);
                outcome.accepted = FilterAccepts(KeyFilter::TwoDecimals, text, key);
                break;
        }
    } else if (control == edtFreq) {
        if (key == '\r') {
            edtFreqExit();
            FocusNull();
            outcome.accepted = false;
        } else {
            const int limit = C(control).maxLength;
            outcome.accepted = key == '\b' || limit == 0 || static_cast<int>(text.size()) < limit;
        }
    } else if (C(control).kind == ControlKind::Edit) {
        outcome.accepted = false;  // the passive edits hold no typed data
    }
    outcome.effects = TakeEffects();
    return outcome;
}

void FormModel::TextEdited(ControlId control, std::string text) {
    ControlState& state = C(control);
    if (state.kind != ControlKind::Edit) return;
    if (state.maxLength > 0 && static_cast<int>(text.size()) > state.maxLength)
        text.resize(static_cast<std::size_t>(state.maxLength));
    state.text = std::move(text);
}

Effects FormModel::Leave(ControlId control) {
    ToneField tone{};
    if (ToneFieldOf(control, tone))
        ToneExit(tone.family, tone.tag);
    else if (const NumericField* field = NumericFieldOf(control))
        NumericExit(*field);
    else if (control == edtFreq)
        edtFreqExit();
    return TakeEffects();
}

Effects FormModel::Click(ControlId control) {
    if (!Usable(control)) return {};
    ControlState& state = C(control);
    if (state.kind == ControlKind::Check) {
        SetChecked(control, !state.checked);
    } else if (control == radStandard || control == radUser) {
        // The mode only changes the rules of the next tone checked; nothing is stored.
        C(radStandard).checked = control == radStandard;
        C(radUser).checked = control == radUser;
    } else if (control == RBtModify) {
        RBtModifyClick();
    } else if (control == RBtWrite) {
        RBtWriteClick();
    } else if (control == Advance2) {
        PasswordWindowShown();
    }
    return TakeEffects();
}

Effects FormModel::Select(ControlId control, int index) {
    if (!Usable(control)) return {};
    ControlState& list = C(control);
    if (list.kind != ControlKind::Combo || index < 0 ||
        index >= static_cast<int>(list.items.size()))
        return {};
    list.itemIndex = index;
    RunSelectRule(control);
    return TakeEffects();
}

Effects FormModel::DoubleClick(ControlId control) {
    ToneField tone{};
    if (!Usable(control) || !ToneFieldOf(control, tone) || !StandardMode()) return {};
    curTone_ = {0, 0, 0};
    curTone_[tone.family] = tone.tag;
    Push(EffectKind::OpenToneTable);
    return TakeEffects();
}

// The events by name: an unknown name is no control the window has, and nothing happens.

Effects FormModel::Enter(std::string_view control) {
    const auto id = FindControl(control);
    return id ? Enter(*id) : Effects{};
}
KeyOutcome FormModel::KeyPress(std::string_view control, char key) {
    const auto id = FindControl(control);
    return id ? KeyPress(*id, key) : KeyOutcome{false, {}};
}
void FormModel::TextEdited(std::string_view control, std::string text) {
    if (const auto id = FindControl(control)) TextEdited(*id, std::move(text));
}
Effects FormModel::Leave(std::string_view control) {
    const auto id = FindControl(control);
    return id ? Leave(*id) : Effects{};
}
Effects FormModel::Click(std::string_view control) {
    const auto id = FindControl(control);
    return id ? Click(*id) : Effects{};
}
Effects FormModel::Select(std::string_view control, int index) {
    const auto id = FindControl(control);
    return id ? Select(*id, index) : Effects{};
}
Effects FormModel::DoubleClick(std::string_view control) {
    const auto id = FindControl(control);
    return id ? DoubleClick(*id) : Effects{};
}

// The table opens only for a marked field the user could type into: a field
// locked by Write Mode or by its call being off keeps its tone.
bool FormModel::ToneTableAllowed() const {
    if (!StandardMode()) return false;
    for (Family family : {kTone1, kTone2, kGroup})
        if (curTone_[family] != 0 && Usable(ToneControl(family, curTone_[family]))) return true;
    return false;
}

Effects FormModel::PressF9() {
    if (ToneTableAllowed()) Push(EffectKind::OpenToneTable);
    return TakeEffects();
}

Effects FormModel::MouseOverBackground() {
    curTone_ = {0, 0, 0};
    SetVisible(Label1, false);
    SetVisible(Label2, false);
    SetVisible(Label9, false);
    FocusNull();
    return TakeEffects();
}

Effects FormModel::PickTone(std::string_view toneText) {
    // The exit handler clears the other markers, so exactly one field takes the tone.
    for (Family family : {kTone1, kTone2, kGroup}) {
        const int tag = curTone_[family];
        if (tag == 0) continue;
        if (!Usable(ToneControl(family, tag))) {
            curTone_[family] = 0;
            continue;
        }
        SetText(ToneControl(family, tag), std::string(toneText));
        ToneExit(family, tag);
        curTone_[family] = 0;
    }
    CloseWindow("TForm2");
    return TakeEffects();
}

// --- Advance password -------------------------------------------------------

void FormModel::PasswordWindowShown() { passwordFailures_ = 0; }

Effects FormModel::SubmitAccessCode(std::string_view code) {
    std::string entry(code);
    std::transform(entry.begin(), entry.end(), entry.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    const auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    const auto first = std::find_if_not(entry.begin(), entry.end(), blank);
    const auto last = std::find_if_not(entry.rbegin(), entry.rend(), blank).base();
    const std::string trimmed = first < last ? std::string(first, last) : std::string();
    if (trimmed == "HW527") {
        SetVisible(TabSheet4, true);
        C(Advance2).enabled = false;
        CloseWindow("TForm4");
        return TakeEffects();
    }
    Show(messages::PasswordError());
    if (++passwordFailures_ >= 3) {
        passwordFailures_ = 0;
        CloseWindow("TForm4");
    }
    return TakeEffects();
}

// --- edit modes -------------------------------------------------------------

void FormModel::RBtModifyClick() {
    C(RBtModify).checked = true;
    C(RBtWrite).checked = false;
    for (ControlState& state : controls_)
        if (IsEditingControl(state.id)) state.enabled = true;
    for (int n = 1; n <= 4; ++n)
        if (!Checked(kCallRows[static_cast<std::size_t>(n - 1)].duty)) EnableCallRow(n, false);
    for (int k = 1; k <= 2; ++k)
        if (!Checked(kGroupRows[static_cast<std::size_t>(k - 1)].duty)) EnableGroupRow(k, false);
    if (Checked(chkSYSPrivacy))
        for (ControlId control : {chkSYSAudio, edtAudioLock, edtAutoMonitor, Label24, Label23,
                                  Label31, Label30, cboPTL, Label75})
            Enable(control, false);
    if (!Checked(chkSYSAudio))
        for (ControlId control : {edtAudioLock, Label24, Label31}) Enable(control, false);
    if (!Checked(chkSYSSV))
        for (ControlId control : {cboRecordMax, Label21}) Enable(control, false);
    if (!Checked(chkFullTimeAutoMonitor)) Enable(edtDelayFullTime, false);
    ApplyMenuRule();
}

void FormModel::RBtWriteClick() {
    C(RBtModify).checked = false;
    C(RBtWrite).checked = true;
    for (ControlState& state : controls_)
        if (IsEditingControl(state.id)) state.enabled = false;
    C(edtVersion).enabled = true;
    C(edtNull).enabled = true;
    ApplyMenuRule();
}

void FormModel::ApplyMenuRule() {
    C(Write1).enabled = !linkBusy_ && WriteMode();
    C(Read1).enabled = !linkBusy_;
    C(Verify1).enabled = !linkBusy_;
}

// --- what the link reports --------------------------------------------------

void FormModel::SetLinkBusy(bool busy) {
    linkBusy_ = busy;
    ApplyMenuRule();
}

void FormModel::ShowVersion(std::string_view text) {
    SetText(edtVersion, std::string(text));
    SetVisible(edtVersion, true);
    SetVisible(lblVersion, true);
}

void FormModel::SetPorts(std::vector<std::string> items, int index) {
    C(cboPort).items = std::move(items);
    ShowIndex(cboPort, index);
}

void FormModel::SelectPort(int index) { ShowIndex(cboPort, index); }

Effects FormModel::ApplyReadImage(const PagerImage& image, bool replaced) {
    if (!replaced) {
        const Field& version = *ImageFieldOf(edtVersion);
        std::copy_n(image.begin() + version.offset, version.size, image_.begin() + version.offset);
        return {};
    }
    Effects effects = ReplaceImage(image);
    SetVisible(edtVersion, true);
    SetVisible(lblVersion, true);
    return effects;
}

void FormModel::ApplyPreparedImage(const PagerImage& image) { image_ = image; }

// --- whole image ------------------------------------------------------------

Effects FormModel::ReplaceImage(const PagerImage& image) {
    image_ = image;
    return RefreshWindow();
}

}  // namespace mk843nb
