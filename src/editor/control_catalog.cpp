#include "editor/control_catalog.h"

#include <array>

#include "image/codecs.h"
#include "image/fields.h"
#include "image/frequency.h"

namespace mk843nb {
namespace {

using enum ControlId;
using K = ControlKind;
using P = Page;

constexpr std::array<std::string_view, 3> kPTLItems = {"Disable", "Alert & Vibration Mode",
                                                       "Vibration Mode Only"};

// Every box of the CALL page starts unticked: the first refresh ticks call 1 and
// so checks its tones. chkSYSPTL and cboBatteryLow are never shown: the Push To
// Listen bit follows cboPTL, the low-battery list edits nothing.
// clang-format off
constexpr ControlInfo kControls[] = {
    {lblVersion, "lblVersion", K::Label, P::Main, "Version", {}, {.visible = false}},
    {edtVersion, "edtVersion", K::Edit, P::Main, "0.0", {}, {.visible = false},
     {"Version", "Version", ""}},
    {cboPort, "cboPort", K::Combo, P::Main, "", {}, {}},
    {radStandard, "radStandard", K::Radio, P::Main, "Standard Mode", {}, {.checked = true}},
    {radUser, "radUser", K::Radio, P::Main, " User Mode", {}, {}},
    {RBtModify, "RBtModify", K::Radio, P::Main, "Modify Mode", {}, {.checked = true}},
    {RBtWrite, "RBtWrite", K::Radio, P::Main, "Write Mode", {}, {}},
    {edtNull, "edtNull", K::Edit, P::Main, "", {}, {}},
    {Write1, "Write1", K::MenuItem, P::Main, "Write", {}, {.enabled = false}},
    {Read1, "Read1", K::MenuItem, P::Main, "Read", {}, {}},
    {Verify1, "Verify1", K::MenuItem, P::Main, "Verify", {}, {}},
    {Advance2, "Advance2", K::MenuItem, P::Main, "Advance", {}, {}},
    {TabSheet1, "TabSheet1", K::Tab, P::Main, "CALL", {}, {}},
    {TabSheet3, "TabSheet3", K::Tab, P::Main, "Setting", {}, {}},
    {TabSheet2, "TabSheet2", K::Tab, P::Main, "Config", {}, {}},
    {TabSheet4, "TabSheet4", K::Tab, P::Main, "Advance Setting", {}, {.visible = false}},
    {cboRangeFreq, "cboRangeFreq", K::Combo, P::Frequency, "", kRangeFreqItems, {.itemIndex = 0},
     {"RangeFreq", "Range Of Frequency", ""}},
    {edtFreq, "edtFreq", K::Edit, P::Frequency, "1590000", {}, {.maxLength = 7},
     {"Freq", "Frequency", "00Hz"}},
    {cboCSpace, "cboCSpace", K::Combo, P::Frequency, "", {}, {},
     {"CSpace", "Channel Space", ""}},
    {chkDuty1, "chkDuty1", K::Check, P::Call, "ON", {}, {},
     {"Duty1", "CALL #1 ON", ""}},
    {panCall1, "panCall1", K::Panel, P::Call, "CALL #1", {}, {}},
    {edtT11, "edtT11", K::Edit, P::Call, "", {}, {},
     {"T11", "CALL #1 TONE1", "Hz"}},
    {edtT21, "edtT21", K::Edit, P::Call, "", {}, {},
     {"T21", "CALL #1 TONE2", "Hz"}},
    {chkPriority1, "chkPriority1", K::Check, P::Call, "Priority Alert", {}, {},
     {"Priority1", "CALL #1 Priority Alert", ""}},
    {cboAlertType1, "cboAlertType1", K::Combo, P::Call, "", kAlertTypeItems, {.visible = false},
     {"AlertType1", "CALL #1 Alert Type", ""}},
    {edtAlertTime1, "edtAlertTime1", K::Edit, P::Call, "", {}, {.visible = false},
     {"AlertTime1", "CALL #1 Alert Time", "Second"}},
    {chkDuty2, "chkDuty2", K::Check, P::Call, "ON", {}, {},
     {"Duty2", "CALL #2 ON", ""}},
    {panCall2, "panCall2", K::Panel, P::Call, "CALL #2", {}, {}},
    {edtT12, "edtT12", K::Edit, P::Call, "", {}, {},
     {"T12", "CALL #2 TONE1", "Hz"}},
    {edtT22, "edtT22", K::Edit, P::Call, "", {}, {},
     {"T22", "CALL #2 TONE2", "Hz"}},
    {chkPriority2, "chkPriority2", K::Check, P::Call, "Priority Alert", {}, {},
     {"Priority2", "CALL #2 Priority Alert", ""}},
    {cboAlertType2, "cboAlertType2", K::Combo, P::Call, "", kAlertTypeItems, {.visible = false},
     {"AlertType2", "CALL #2 Alert Type", ""}},
    {edtAlertTime2, "edtAlertTime2", K::Edit, P::Call, "", {}, {.visible = false},
     {"AlertTime2", "CALL #2 Alert Time", "Second"}},
    {chkDuty3, "chkDuty3", K::Check, P::Call, "ON", {}, {},
     {"Duty3", "CALL #3 ON", ""}},
    {panCall3, "panCall3", K::Panel, P::Call, "CALL #3", {}, {}},
    {edtT13, "edtT13", K::Edit, P::Call, "", {}, {},
     {"T13", "CALL #3 TONE1", "Hz"}},
    {edtT23, "edtT23", K::Edit, P::Call, "", {}, {},
     {"T23", "CALL #3 TONE2", "Hz"}},
    {chkPriority3, "chkPriority3", K::Check, P::Call, "Priority Alert", {}, {},
     {"Priority3", "CALL #3 Priority Alert", ""}},
    {cboAlertType3, "cboAlertType3", K::Combo, P::Call, "", kAlertTypeItems, {.visible = false},
     {"AlertType3", "CALL #3 Alert Type", ""}},
    {edtAlertTime3, "edtAlertTime3", K::Edit, P::Call, "", {}, {.visible = false},
     {"AlertTime3", "CALL #3 Alert Time", "Second"}},
    {chkDuty4, "chkDuty4", K::Check, P::Call, "ON", {}, {},
     {"Duty4", "CALL #4 ON", ""}},
    {panCall4, "panCall4", K::Panel, P::Call, "CALL #4", {}, {}},
    {edtT14, "edtT14", K::Edit, P::Call, "", {}, {},
     {"T14", "CALL #4 TONE1", "Hz"}},
    {edtT24, "edtT24", K::Edit, P::Call, "", {}, {},
     {"T24", "CALL #4 TONE2", "Hz"}},
    {chkPriority4, "chkPriority4", K::Check, P::Call, "Priority Alert", {}, {},
     {"Priority4", "CALL #4 Priority Alert", ""}},
    {cboAlertType4, "cboAlertType4", K::Combo, P::Call, "", kAlertTypeItems, {.visible = false},
     {"AlertType4", "CALL #4 Alert Type", ""}},
    {edtAlertTime4, "edtAlertTime4", K::Edit, P::Call, "", {}, {.visible = false},
     {"AlertTime4", "CALL #4 Alert Time", "Second"}},
    {chkGDuty1, "chkGDuty1", K::Check, P::Call, "ON", {}, {},
     {"GDuty1", "Group CALL #1 ON", ""}},
    {panGCall1, "panGCall1", K::Panel, P::Call, "CALL #1", {}, {}},
    {edtT31, "edtT31", K::Edit, P::Call, "", {}, {},
     {"T31", "Group CALL #1 TONE", "Hz"}},
    {chkGPriority1, "chkGPriority1", K::Check, P::Call, "Priority Alert", {}, {},
     {"GPriority1", "Group CALL #1 Priority Alert", ""}},
    {cboGAlertType1, "cboGAlertType1", K::Combo, P::Call, "", kAlertTypeItems, {.visible = false},
     {"GAlertType1", "Group CALL #1 Alert Type", ""}},
    {edtGAlertTime1, "edtGAlertTime1", K::Edit, P::Call, "", {}, {.visible = false},
     {"GAlertTime1", "Group CALL #1 Alert Time", "Second"}},
    {chkGDuty2, "chkGDuty2", K::Check, P::Call, "ON", {}, {},
     {"GDuty2", "Group CALL #2 ON", ""}},
    {panGCall2, "panGCall2", K::Panel, P::Call, "CALL #2", {}, {}},
    {edtT32, "edtT32", K::Edit, P::Call, "", {}, {},
     {"T32", "Group CALL #2 TONE", "Hz"}},
    {chkGPriority2, "chkGPriority2", K::Check, P::Call, "Priority Alert", {}, {},
     {"GPriority2", "Group CALL #2 Priority Alert", ""}},
    {cboGAlertType2, "cboGAlertType2", K::Combo, P::Call, "", kAlertTypeItems, {.visible = false},
     {"GAlertType2", "Group CALL #2 Alert Type", ""}},
    {edtGAlertTime2, "edtGAlertTime2", K::Edit, P::Call, "", {}, {.visible = false},
     {"GAlertTime2", "Group CALL #2 Alert Time", "Second"}},
    {Label9, "Label9", K::Label, P::Call, "(", {}, {.visible = false}},
    {Label1, "Label1", K::Label, P::Call, "F9", {}, {.visible = false}},
    {Label2, "Label2", K::Label, P::Call, "Open tone table )", {}, {.visible = false}},
    {chkSYSPow, "chkSYSPow", K::Check, P::Setting, "Disable Power OFF", {}, {},
     {"SYSPow", "Disable Power OFF", ""}},
    {chkSYSVib, "chkSYSVib", K::Check, P::Setting, "Disable vibration mode", {}, {},
     {"SYSVib", "Disable vibration mode", ""}},
    {chkSYSPowSave, "chkSYSPowSave", K::Check, P::Setting, "Power Save Disable", {}, {},
     {"SYSPowSave", "Power Save Disable", ""}},
    {chkSYSFIX, "chkSYSFIX", K::Check, P::Setting, "FIX Alert", {}, {},
     {"SYSFIX", "FIX Alert", ""}},
    {chkVolumeLevel, "chkVolumeLevel", K::Check, P::Setting, "Priority Max. Volume Level", {}, {},
     {"VolumeLevel", "Priority Max. Volume Level", ""}},
    {TBXLabel1, "TBXLabel1", K::Label, P::Setting, "Notice : Only usable when Priority Alert is enable.", {}, {}},
    {cboResetCon, "cboResetCon", K::Combo, P::Setting, "", kResetConItems, {},
     {"ResetCon", "Reset control", ""}},
    {lblHelp, "lblHelp", K::Label, P::Setting, "Help", {}, {}},
    {Label26, "Label26", K::Label, P::Setting, "Delay Time", {}, {.visible = false}},
    {edtDelay, "edtDelay", K::Edit, P::Setting, "", {}, {.visible = false},
     {"Delay", "Delay Time", "Second"}},
    {Label32, "Label32", K::Label, P::Setting, "Second", {}, {.visible = false}},
    {cboReminder, "cboReminder", K::Combo, P::Setting, "", kReminderItems, {},
     {"Reminder", "Reminder", ""}},
    {chkSYSPrivacy, "chkSYSPrivacy", K::Check, P::Setting, "Privacy Enable", {}, {},
     {"SYSPrivacy", "Privacy Enable", ""}},
    {Label75, "Label75", K::Label, P::Setting, "Push To Listen", {}, {}},
    {cboPTL, "cboPTL", K::Combo, P::Setting, "", kPTLItems, {},
     {"PTL", "Push To Listen", ""}},
    {Label23, "Label23", K::Label, P::Setting, "Auto Monitor key time", {}, {}},
    {edtAutoMonitor, "edtAutoMonitor", K::Edit, P::Setting, "", {}, {},
     {"AutoMonitor", "Auto Monitor key time", "Second"}},
    {Label30, "Label30", K::Label, P::Setting, "Second", {}, {}},
    {chkSYSAudio, "chkSYSAudio", K::Check, P::Setting, "Audio lock on", {}, {},
     {"SYSAudio", "Audio lock on", ""}},
    {Label24, "Label24", K::Label, P::Setting, "Audio lock on key time", {}, {}},
    {edtAudioLock, "edtAudioLock", K::Edit, P::Setting, "", {}, {},
     {"AudioLock", "Audio lock on key time", "Second"}},
    {Label31, "Label31", K::Label, P::Setting, "Second", {}, {}},
    {chkSYSSV, "chkSYSSV", K::Check, P::Setting, "Save voice", {}, {},
     {"SYSSV", "Save voice", ""}},
    {Label21, "Label21", K::Label, P::Setting, "Record Section", {}, {}},
    {cboRecordMax, "cboRecordMax", K::Combo, P::Setting, "", kRecordMaxItems, {},
     {"RecordMax", "Record Section", ""}},
    {chkFullTimeAutoMonitor, "chkFullTimeAutoMonitor", K::Check, P::Setting, "Full Time Auto Monitor", {}, {},
     {"FullTimeAutoMonitor", "Full Time Auto Monitor", ""}},
    {lblStandbyToMonitorDelay, "lblStandbyToMonitorDelay", K::Label, P::Setting, "Standby To Monitor Delay Time", {}, {.enabled = false}},
    {edtDelayFullTime, "edtDelayFullTime", K::Edit, P::Setting, "", {}, {.enabled = false},
     {"DelayFullTime", "Standby To Monitor Delay Time", "seconds"}},
    {lblStandbySec, "lblStandbySec", K::Label, P::Setting, "seconds", {}, {.enabled = false}},
    {chkSYSPTL, "chkSYSPTL", K::Check, P::Setting, "Push To Listen", {}, {.visible = false},
     {"SYSPTL", "Push To Listen (bit)", ""}},
    {cboBatteryLow, "cboBatteryLow", K::Combo, P::Setting, "", kBatteryLowItems, {.visible = false, .itemIndex = 0},
     {"BatteryLow", "Low Battery", ""}},
    {edtBS_Period, "edtBS_Period", K::Edit, P::Config, "", {}, {},
     {"BS_Period", "Battery Save", "x 10 ms"}},
    {edtBS_Duty, "edtBS_Duty", K::Edit, P::Config, "", {}, {},
     {"BS_Duty", "AD Delay", "ms"}},
    {edtTone1Len, "edtTone1Len", K::Edit, P::Config, "", {}, {},
     {"Tone1Len", "Tone1 duration", "x 100 ms"}},
    {edtTone2Len, "edtTone2Len", K::Edit, P::Config, "", {}, {},
     {"Tone2Len", "Tone2 duration", "x 100 ms"}},
    {edtRSSI, "edtRSSI", K::Edit, P::Config, "", {}, {},
     {"RSSI", "NRSSI", "V"}},
    {edtSSI, "edtSSI", K::Edit, P::Config, "", {}, {},
     {"SSI", "Speaker OFF", "V"}},
    {edtRSSI2, "edtRSSI2", K::Edit, P::Config, "", {}, {},
     {"RSSI2", "Speaker ON (NRSSI)", "V"}},
    {edtRFDelay, "edtRFDelay", K::Edit, P::Config, "", {}, {},
     {"RFDelay", "RF delay time", "ms"}},
    {edtTone1Limit, "edtTone1Limit", K::Edit, P::Config, "", {}, {},
     {"Tone1Limit", "Tone1 limit", "x 100 ms"}},
    {edtTone2Limit, "edtTone2Limit", K::Edit, P::Config, "", {}, {},
     {"Tone2Limit", "Tone2 limit", "x 100 ms"}},
    {edtNoiseLimit, "edtNoiseLimit", K::Edit, P::Config, "", {}, {},
     {"NoiseLimit", "Noise limit", "x 100 ms"}},
    {edtDecorderReset, "edtDecorderReset", K::Edit, P::Config, "", {}, {},
     {"DecorderReset", "Decorder Reset", "Second"}},
    {lblPLLR, "lblPLLR", K::Label, P::Config, "", {}, {},
     {"PLLR", "PLLR", ""}},
    {lblPLLN, "lblPLLN", K::Label, P::Config, "", {}, {},
     {"PLLN", "PLLN", ""}},
    {lblMUTL, "lblMUTL", K::Label, P::Config, "1", {}, {},
     {"MUTL", "MUTL", ""}},
    {cboBandWidth, "cboBandWidth", K::Combo, P::Advance, "", kBandWidthItems, {},
     {"BandWidth", "Decoder Bandwidth", "%"}},
    {edtGapMax, "edtGapMax", K::Edit, P::Advance, "", {}, {},
     {"GapMax", "Gap MAX.", "x 100 ms"}},
    {edtSquelch, "edtSquelch", K::Edit, P::Advance, "", {}, {},
     {"Squelch", "Carrier OFF delay", "x 150 ms"}},
    {edtTone3Len, "edtTone3Len", K::Edit, P::Advance, "", {}, {},
     {"Tone3Len", "Group call duration", "x 100 ms"}},
    {edtNRSSIRpTM, "edtNRSSIRpTM", K::Edit, P::Advance, "", {}, {},
     {"NRSSIRpTM", "NRSSI Response Time", "x 10 ms"}},
    {edtMiniRecTime, "edtMiniRecTime", K::Edit, P::Advance, "", {}, {},
     {"MiniRecTime", "Mini Record Time", "x 10 ms"}},
};
// clang-format on

constexpr bool InIdOrder() {
    for (std::size_t i = 0; i < std::size(kControls); ++i)
        if (Index(kControls[i].id) != i) return false;
    return std::size(kControls) == kControlCount;
}
static_assert(InIdOrder(), "one row per control, in the order of ControlId");

constexpr ControlId kListing[] = {
    edtVersion,       cboRangeFreq,   edtFreq,        cboCSpace,      lblPLLR,
    lblPLLN,          lblMUTL,        cboBandWidth,   edtBS_Period,   edtBS_Duty,
    cboBatteryLow,    edtRSSI,        edtRSSI2,       edtSSI,         edtRFDelay,
    edtTone1Len,      edtTone1Limit,  edtTone2Len,    edtTone2Limit,  edtTone3Len,
    chkSYSSV,         chkSYSPTL,      chkSYSAudio,    chkSYSFIX,      chkSYSPow,
    chkSYSVib,        chkSYSPowSave,  chkSYSPrivacy,  cboPTL,         cboResetCon,
    edtDelay,         edtAutoMonitor, edtAudioLock,   cboReminder,    cboRecordMax,
    edtDecorderReset, edtT11,         edtT12,         edtT13,         edtT14,
    edtT21,           edtT22,         edtT23,         edtT24,         edtT31,
    edtT32,           cboAlertType1,  cboAlertType2,  cboAlertType3,  cboAlertType4,
    cboGAlertType1,   cboGAlertType2, edtAlertTime1,  edtAlertTime2,  edtAlertTime3,
    edtAlertTime4,    edtGAlertTime1, edtGAlertTime2, chkPriority1,   chkPriority2,
    chkPriority3,     chkPriority4,   chkGPriority1,  chkGPriority2,  chkDuty1,
    chkDuty2,         chkDuty3,       chkDuty4,       chkGDuty1,      chkGDuty2,
    edtGapMax,        edtNoiseLimit,  edtSquelch,     chkVolumeLevel, chkFullTimeAutoMonitor,
    edtDelayFullTime, edtNRSSIRpTM,   edtMiniRecTime};

}  // namespace

std::span<const ControlInfo> ControlCatalog() { return kControls; }

const ControlInfo& Control(ControlId id) { return kControls[Index(id)]; }

std::optional<ControlId> FindControl(std::string_view name) {
    for (const ControlInfo& control : kControls)
        if (control.name == name) return control.id;
    return std::nullopt;
}

const Field* ImageFieldOf(ControlId id) {
    static const std::array<const Field*, kControlCount> fields = [] {
        std::array<const Field*, kControlCount> byId{};
        for (const ControlInfo& control : kControls)
            if (!control.listing.field.empty())
                byId[Index(control.id)] = &FieldNamed(control.listing.field);
        return byId;
    }();
    return fields[Index(id)];
}

std::vector<ControlState> DesignStates() {
    std::vector<ControlState> states;
    states.reserve(kControlCount);
    for (const ControlInfo& control : kControls) {
        ControlState& state = states.emplace_back();
        state.id = control.id;
        state.name = control.name;
        state.kind = control.kind;
        state.text.assign(control.text);
        state.items.assign(control.items.begin(), control.items.end());
        state.itemIndex = control.design.itemIndex;
        state.checked = control.design.checked;
        state.enabled = control.design.enabled;
        state.visible = control.design.visible;
        state.maxLength = control.design.maxLength;
    }
    return states;
}

std::string_view PageCaption(Page page) {
    switch (page) {
        case Page::Main:
            return "Main";
        case Page::Frequency:
            return "Frequency";
        case Page::Call:
            return "CALL";
        case Page::Setting:
            return "Setting";
        case Page::Config:
            return "Config";
        case Page::Advance:
            return "Advance Setting";
    }
    return "";
}

const std::vector<ListedField>& ListedFields() {
    static const std::vector<ListedField> fields = [] {
        std::vector<ListedField> listed;
        for (ControlId id : kListing) {
            const ControlInfo& c = Control(id);
            listed.push_back(
                {c.listing.field, c.name, c.page, c.listing.caption, c.listing.unit, id});
        }
        return listed;
    }();
    return fields;
}

const ListedField* FindListedField(std::string_view field) {
    for (const ListedField& f : ListedFields())
        if (f.field == field) return &f;
    return nullptr;
}

}  // namespace mk843nb
