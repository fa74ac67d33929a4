#include "editor/form_model.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>

#include "editor/control_catalog.h"
#include "editor/editor_messages.h"
#include "editor/numeric_fields.h"

namespace mk843nb {

FormModel::FormModel() {
    image_ = DefaultImage();
    StampModelTag(image_);
    BuildControls();
    RefreshWindow();
}

void FormModel::BuildControls() {
    static const std::vector<ControlState> design = MainWindowControls();
    static const ControlIndex index = [] {
        ControlIndex byName;
        for (std::size_t i = 0; i < design.size(); ++i) byName.emplace(design[i].name, i);
        return byName;
    }();
    controls_ = design;
    index_ = &index;
}

// --- controls ---------------------------------------------------------------

const ControlState* FormModel::Find(std::string_view control) const {
    const auto it = index_->find(control);
    return it == index_->end() ? nullptr : &controls_[it->second];
}

ControlState& FormModel::C(std::string_view name) {
    const auto it = index_->find(name);
    if (it == index_->end()) throw std::logic_error(messages::Concat({"no control ", name}));
    return controls_[it->second];
}

const ControlState& FormModel::C(std::string_view name) const {
    const auto it = index_->find(name);
    if (it == index_->end()) throw std::logic_error(messages::Concat({"no control ", name}));
    return controls_[it->second];
}

bool FormModel::IsEditingControl(std::string_view name) {
    const std::string_view prefix = name.substr(0, 3);
    return prefix == "edt" || prefix == "cbo" || prefix == "chk" || prefix == "btn";
}

bool FormModel::IsPassiveEdit(std::string_view control) {
    return control == "edtNull" || control == "edtVersion";
}

void FormModel::Enable(std::string_view name, bool enabled) {
    if (enabled && WriteMode() && IsEditingControl(name) && !IsPassiveEdit(name)) return;
    C(name).enabled = enabled;
}

void FormModel::ShowIndex(std::string_view name, int index) {
    ControlState& list = C(name);
    list.itemIndex = index >= 0 && index < static_cast<int>(list.items.size()) ? index : -1;
}

void FormModel::SetChecked(std::string_view name, bool checked) {
    ControlState& box = C(name);
    if (box.checked == checked) return;
    box.checked = checked;
    RunClickRule(name);
}

bool FormModel::Usable(std::string_view name) const {
    const ControlState* state = Find(name);
    return state != nullptr && state->enabled && state->visible;
}

bool FormModel::StandardMode() const { return C("radStandard").checked; }
bool FormModel::WriteMode() const { return C("RBtWrite").checked; }

void FormModel::Push(EffectKind kind, std::string_view control, Message message) {
    Effect& effect = effects_.emplace_back();
    effect.kind = kind;
    effect.control.assign(control);
    effect.message = std::move(message);
}
void FormModel::Show(Message message) { Push(EffectKind::ShowMessage, {}, std::move(message)); }
void FormModel::FocusTo(std::string_view name) { Push(EffectKind::FocusTo, name); }
void FormModel::FocusNull() { Push(EffectKind::FocusNull); }

Effects FormModel::TakeEffects() {
    Effects out;
    out.swap(effects_);
    return out;
}

// --- the rules by control ---------------------------------------------------

void FormModel::RunClickRule(std::string_view name) {
    static constexpr std::array<std::string_view, 8> kSys = {
        "chkSYSSV",  "chkSYSPTL", "chkSYSAudio",   "chkSYSFIX",
        "chkSYSPow", "chkSYSVib", "chkSYSPowSave", "chkSYSPrivacy"};
    for (std::size_t i = 0; i < kSys.size(); ++i)
        if (name == kSys[i]) return chkSYSSVClick(static_cast<int>(i) + 1);
    const auto tagAfter = [&](std::string_view prefix) {
        return name.size() == prefix.size() + 1 && name.substr(0, prefix.size()) == prefix
                   ? name.back() - '0'
                   : 0;
    };
    if (int tag = tagAfter("chkDuty"); tag >= 1 && tag <= 4) return chkDuty1Click(tag);
    if (int tag = tagAfter("chkGDuty"); tag >= 1 && tag <= 2) return chkGDuty1Click(tag);
    if (int tag = tagAfter("chkPriority"); tag >= 1 && tag <= 4) return chkPriority1Click(tag);
    if (int tag = tagAfter("chkGPriority"); tag >= 1 && tag <= 2) return chkGPriority1Click(tag);
    if (name == "chkVolumeLevel") return chkVolumeLevelClick();
    if (name == "chkFullTimeAutoMonitor") return chkFullTimeAutoMonitorClick();
}

void FormModel::RunSelectRule(std::string_view name) {
    if (name == "cboRangeFreq") return cboRangeFreqClick();
    if (name == "cboCSpace") return cboCSpaceClick();
    if (name == "cboResetCon") return cboResetConClick();
    if (name == "cboPTL") return cboPTLClick();
    if (name == "cboReminder") return cboReminderClick();
    if (name == "cboRecordMax") return cboRecordMaxClick();
    if (name == "cboBandWidth") return cboBandWidthClick();
    // cboBatteryLow writes nothing; the alert-type lists are never shown.
}

// --- the user's events ------------------------------------------------------

Effects FormModel::Enter(std::string_view control) {
    if (!Usable(control)) return {};
    ToneField tone{};
    if (ToneFieldOf(control, tone)) {
        if (StandardMode()) {
            SetVisible("Label9", true);
            SetVisible("Label1", true);
            SetVisible("Label2", true);
        }
        SetText(control, "");
        curTone_[tone.family] = tone.tag;
    } else if (FindNumericField(control) != nullptr || control == "edtFreq" ||
               control.substr(0, 12) == "edtAlertTime" ||
               control.substr(0, 13) == "edtGAlertTime") {
        SetText(control, "");
    }
    return TakeEffects();
}

KeyOutcome FormModel::KeyPress(std::string_view control, char key) {
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
    } else if (const NumericField* field = FindNumericField(control)) {
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
    } else if (control == "edtFreq") {
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

void FormModel::TextEdited(std::string_view control, std::string text) {
    ControlState* state = index_->contains(control) ? &C(control) : nullptr;
    if (state == nullptr || state->kind != ControlKind::Edit) return;
    if (state->maxLength > 0 && static_cast<int>(text.size()) > state->maxLength)
        text.resize(static_cast<std::size_t>(state->maxLength));
    state->text = std::move(text);
}

Effects FormModel::Leave(std::string_view control) {
    if (Find(control) == nullptr) return {};
    ToneField tone{};
    if (ToneFieldOf(control, tone))
        ToneExit(tone.family, tone.tag);
    else if (const NumericField* field = FindNumericField(control))
        NumericExit(*field);
    else if (control == "edtFreq")
        edtFreqExit();
    return TakeEffects();
}

Effects FormModel::Click(std::string_view control) {
    if (!Usable(control)) return {};
    ControlState& state = C(control);
    if (state.kind == ControlKind::Check) {
        SetChecked(control, !state.checked);
    } else if (control == "radStandard" || control == "radUser") {
        // The mode only changes the rules of the next tone checked; nothing is stored.
        C("radStandard").checked = control == "radStandard";
        C("radUser").checked = control == "radUser";
    } else if (control == "RBtModify") {
        RBtModifyClick();
    } else if (control == "RBtWrite") {
        RBtWriteClick();
    } else if (control == "Advance2") {
        PasswordWindowShown();
    }
    return TakeEffects();
}

Effects FormModel::Select(std::string_view control, int index) {
    if (!Usable(control)) return {};
    ControlState& list = C(control);
    if (list.kind != ControlKind::Combo || index < 0 ||
        index >= static_cast<int>(list.items.size()))
        return {};
    list.itemIndex = index;
    RunSelectRule(control);
    return TakeEffects();
}

Effects FormModel::DoubleClick(std::string_view control) {
    ToneField tone{};
    if (!Usable(control) || !ToneFieldOf(control, tone) || !StandardMode()) return {};
    curTone_ = {0, 0, 0};
    curTone_[tone.family] = tone.tag;
    Push(EffectKind::OpenToneTable);
    return TakeEffects();
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
    SetVisible("Label1", false);
    SetVisible("Label2", false);
    SetVisible("Label9", false);
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
    Push(EffectKind::CloseWindow, "TForm2");
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
        SetVisible("TabSheet4", true);
        C("Advance2").enabled = false;
        Push(EffectKind::CloseWindow, "TForm4");
        return TakeEffects();
    }
    Show(messages::PasswordError());
    if (++passwordFailures_ >= 3) {
        passwordFailures_ = 0;
        Push(EffectKind::CloseWindow, "TForm4");
    }
    return TakeEffects();
}

// --- edit modes -------------------------------------------------------------

void FormModel::RBtModifyClick() {
    C("RBtModify").checked = true;
    C("RBtWrite").checked = false;
    for (ControlState& state : controls_)
        if (IsEditingControl(state.name)) state.enabled = true;
    for (int n = 1; n <= 4; ++n)
        if (!Checked("chkDuty" + std::to_string(n))) EnableCallRow(n, false);
    for (int k = 1; k <= 2; ++k)
        if (!Checked("chkGDuty" + std::to_string(k))) EnableGroupRow(k, false);
    if (Checked("chkSYSPrivacy"))
        for (const char* name : {"chkSYSAudio", "edtAudioLock", "edtAutoMonitor", "Label24",
                                 "Label23", "Label31", "Label30", "cboPTL", "Label75"})
            Enable(name, false);
    if (!Checked("chkSYSAudio"))
        for (const char* name : {"edtAudioLock", "Label24", "Label31"}) Enable(name, false);
    if (!Checked("chkSYSSV"))
        for (const char* name : {"cboRecordMax", "Label21"}) Enable(name, false);
    if (!Checked("chkFullTimeAutoMonitor")) Enable("edtDelayFullTime", false);
    ApplyMenuRule();
}

void FormModel::RBtWriteClick() {
    C("RBtModify").checked = false;
    C("RBtWrite").checked = true;
    for (ControlState& state : controls_)
        if (IsEditingControl(state.name)) state.enabled = false;
    C("edtVersion").enabled = true;
    C("edtNull").enabled = true;
    ApplyMenuRule();
}

void FormModel::ApplyMenuRule() {
    C("Write1").enabled = !linkBusy_ && WriteMode();
    C("Read1").enabled = !linkBusy_;
    C("Verify1").enabled = !linkBusy_;
}

void FormModel::SetLinkBusy(bool busy) {
    linkBusy_ = busy;
    ApplyMenuRule();
}

void FormModel::SetVersionShown(bool shown) {
    SetVisible("edtVersion", shown);
    SetVisible("lblVersion", shown);
}

void FormModel::SetPorts(std::vector<std::string> items, int index) {
    ControlState& ports = C("cboPort");
    ports.items = std::move(items);
    ShowIndex("cboPort", index);
}

// --- whole image ------------------------------------------------------------

Effects FormModel::ReplaceImage(const PagerImage& image) {
    image_ = image;
    return RefreshWindow();
}

}  // namespace mk843nb
