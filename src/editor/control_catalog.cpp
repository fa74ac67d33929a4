#include "editor/control_catalog.h"

#include <string>

#include "image/codecs.h"
#include "image/frequency.h"

namespace mk843nb {
namespace {

class Builder {
public:
    ControlState& Add(std::string name, ControlKind kind, std::string text = {}) {
        ControlState state;
        state.name = std::move(name);
        state.kind = kind;
        state.text = std::move(text);
        controls_.push_back(std::move(state));
        return controls_.back();
    }
    template <std::size_t N>
    ControlState& AddList(std::string name, const std::array<std::string_view, N>& items) {
        ControlState& state = Add(std::move(name), ControlKind::Combo);
        for (std::string_view item : items) state.items.emplace_back(item);
        return state;
    }
    std::vector<ControlState> Take() { return std::move(controls_); }

private:
    std::vector<ControlState> controls_;
};

constexpr std::array<std::string_view, 3> kPTLItems = {"Disable", "Alert & Vibration Mode",
                                                       "Vibration Mode Only"};

void AddFrame(Builder& b) {
    b.Add("lblVersion", ControlKind::Label, "Version").visible = false;
    b.Add("edtVersion", ControlKind::Edit, "0.0").visible = false;
    b.Add("cboPort", ControlKind::Combo);
    b.Add("radStandard", ControlKind::Radio, "Standard Mode").checked = true;
    b.Add("radUser", ControlKind::Radio, " User Mode");
    b.Add("RBtModify", ControlKind::Radio, "Modify Mode").checked = true;
    b.Add("RBtWrite", ControlKind::Radio, "Write Mode");
    b.Add("edtNull", ControlKind::Edit);
    b.Add("Write1", ControlKind::MenuItem, "Write").enabled = false;
    b.Add("Read1", ControlKind::MenuItem, "Read");
    b.Add("Verify1", ControlKind::MenuItem, "Verify");
    b.Add("Advance2", ControlKind::MenuItem, "Advance");
    b.Add("TabSheet1", ControlKind::Tab, "CALL");
    b.Add("TabSheet3", ControlKind::Tab, "Setting");
    b.Add("TabSheet2", ControlKind::Tab, "Config");
    b.Add("TabSheet4", ControlKind::Tab, "Advance Setting").visible = false;
}

void AddFrequency(Builder& b) {
    b.AddList("cboRangeFreq", kRangeFreqItems).itemIndex = 0;
    b.Add("edtFreq", ControlKind::Edit, "1590000").maxLength = 7;
    b.Add("cboCSpace", ControlKind::Combo);
}

void AddCallPage(Builder& b) {
    for (int n = 1; n <= 4; ++n) {
        const std::string k = std::to_string(n);
        // Every box starts unticked: the first refresh ticks call 1 and so checks its tones.
        b.Add("chkDuty" + k, ControlKind::Check, "ON");
        b.Add("panCall" + k, ControlKind::Panel, "CALL #" + k);
        b.Add("edtT1" + k, ControlKind::Edit);
        b.Add("edtT2" + k, ControlKind::Edit);
        b.Add("chkPriority" + k, ControlKind::Check, "Priority Alert");
        b.AddList("cboAlertType" + k, kAlertTypeItems).visible = false;
        b.Add("edtAlertTime" + k, ControlKind::Edit).visible = false;
    }
    for (int n = 1; n <= 2; ++n) {
        const std::string k = std::to_string(n);
        b.Add("chkGDuty" + k, ControlKind::Check, "ON");
        b.Add("panGCall" + k, ControlKind::Panel, "CALL #" + k);
        b.Add("edtT3" + k, ControlKind::Edit);
        b.Add("chkGPriority" + k, ControlKind::Check, "Priority Alert");
        b.AddList("cboGAlertType" + k, kAlertTypeItems).visible = false;
        b.Add("edtGAlertTime" + k, ControlKind::Edit).visible = false;
    }
    b.Add("Label9", ControlKind::Label, "(").visible = false;
    b.Add("Label1", ControlKind::Label, "F9").visible = false;
    b.Add("Label2", ControlKind::Label, "Open tone table )").visible = false;
}

void AddSettingPage(Builder& b) {
    b.Add("chkSYSPow", ControlKind::Check, "Disable Power OFF");
    b.Add("chkSYSVib", ControlKind::Check, "Disable vibration mode");
    b.Add("chkSYSPowSave", ControlKind::Check, "Power Save Disable");
    b.Add("chkSYSFIX", ControlKind::Check, "FIX Alert");
    b.Add("chkVolumeLevel", ControlKind::Check, "Priority Max. Volume Level");
    b.Add("TBXLabel1", ControlKind::Label, "Notice : Only usable when Priority Alert is enable.");
    b.AddList("cboResetCon", kResetConItems);
    b.Add("lblHelp", ControlKind::Label, "Help");
    b.Add("Label26", ControlKind::Label, "Delay Time").visible = false;
    b.Add("edtDelay", ControlKind::Edit).visible = false;
    b.Add("Label32", ControlKind::Label, "Second").visible = false;
    b.AddList("cboReminder", kReminderItems);
    b.Add("chkSYSPrivacy", ControlKind::Check, "Privacy Enable");
    b.Add("Label75", ControlKind::Label, "Push To Listen");
    b.AddList("cboPTL", kPTLItems);
    b.Add("Label23", ControlKind::Label, "Auto Monitor key time");
    b.Add("edtAutoMonitor", ControlKind::Edit);
    b.Add("Label30", ControlKind::Label, "Second");
    b.Add("chkSYSAudio", ControlKind::Check, "Audio lock on");
    b.Add("Label24", ControlKind::Label, "Audio lock on key time");
    b.Add("edtAudioLock", ControlKind::Edit);
    b.Add("Label31", ControlKind::Label, "Second");
    b.Add("chkSYSSV", ControlKind::Check, "Save voice");
    b.Add("Label21", ControlKind::Label, "Record Section");
    b.AddList("cboRecordMax", kRecordMaxItems);
    b.Add("chkFullTimeAutoMonitor", ControlKind::Check, "Full Time Auto Monitor");
    b.Add("lblStandbyToMonitorDelay", ControlKind::Label, "Standby To Monitor Delay Time").enabled =
        false;
    b.Add("edtDelayFullTime", ControlKind::Edit).enabled = false;
    b.Add("lblStandbySec", ControlKind::Label, "seconds").enabled = false;
    // Never shown: the Push To Listen bit follows cboPTL, the low-battery list edits nothing.
    b.Add("chkSYSPTL", ControlKind::Check, "Push To Listen").visible = false;
    ControlState& batteryLow = b.AddList("cboBatteryLow", kBatteryLowItems);
    batteryLow.visible = false;
    batteryLow.itemIndex = 0;
}

void AddConfigPage(Builder& b) {
    for (const char* name : {"edtBS_Period", "edtBS_Duty", "edtTone1Len", "edtTone2Len", "edtRSSI",
                             "edtSSI", "edtRSSI2", "edtRFDelay", "edtTone1Limit", "edtTone2Limit",
                             "edtNoiseLimit", "edtDecorderReset"})
        b.Add(name, ControlKind::Edit);
    b.Add("lblPLLR", ControlKind::Label);
    b.Add("lblPLLN", ControlKind::Label);
    b.Add("lblMUTL", ControlKind::Label, "1");
}

void AddAdvancePage(Builder& b) {
    b.AddList("cboBandWidth", kBandWidthItems);
    for (const char* name :
         {"edtGapMax", "edtSquelch", "edtTone3Len", "edtNRSSIRpTM", "edtMiniRecTime"})
        b.Add(name, ControlKind::Edit);
}

}  // namespace

std::vector<ControlState> MainWindowControls() {
    Builder b;
    AddFrame(b);
    AddFrequency(b);
    AddCallPage(b);
    AddSettingPage(b);
    AddConfigPage(b);
    AddAdvancePage(b);
    return b.Take();
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
    static const std::vector<ListedField> fields = {
        {"Version", "edtVersion", Page::Main, "Version", ""},
        {"RangeFreq", "cboRangeFreq", Page::Frequency, "Range Of Frequency", ""},
        {"Freq", "edtFreq", Page::Frequency, "Frequency", "00Hz"},
        {"CSpace", "cboCSpace", Page::Frequency, "Channel Space", ""},
        {"PLLR", "lblPLLR", Page::Config, "PLLR", ""},
        {"PLLN", "lblPLLN", Page::Config, "PLLN", ""},
        {"MUTL", "lblMUTL", Page::Config, "MUTL", ""},
        {"BandWidth", "cboBandWidth", Page::Advance, "Decoder Bandwidth", "%"},
        {"BS_Period", "edtBS_Period", Page::Config, "Battery Save", "x 10 ms"},
        {"BS_Duty", "edtBS_Duty", Page::Config, "AD Delay", "ms"},
        {"BatteryLow", "cboBatteryLow", Page::Setting, "Low Battery", ""},
        {"RSSI", "edtRSSI", Page::Config, "NRSSI", "V"},
        {"RSSI2", "edtRSSI2", Page::Config, "Speaker ON (NRSSI)", "V"},
        {"SSI", "edtSSI", Page::Config, "Speaker OFF", "V"},
        {"RFDelay", "edtRFDelay", Page::Config, "RF delay time", "ms"},
        {"Tone1Len", "edtTone1Len", Page::Config, "Tone1 duration", "x 100 ms"},
        {"Tone1Limit", "edtTone1Limit", Page::Config, "Tone1 limit", "x 100 ms"},
        {"Tone2Len", "edtTone2Len", Page::Config, "Tone2 duration", "x 100 ms"},
        {"Tone2Limit", "edtTone2Limit", Page::Config, "Tone2 limit", "x 100 ms"},
        {"Tone3Len", "edtTone3Len", Page::Advance, "Group call duration", "x 100 ms"},
        {"SYSSV", "chkSYSSV", Page::Setting, "Save voice", ""},
        {"SYSPTL", "chkSYSPTL", Page::Setting, "Push To Listen (bit)", ""},
        {"SYSAudio", "chkSYSAudio", Page::Setting, "Audio lock on", ""},
        {"SYSFIX", "chkSYSFIX", Page::Setting, "FIX Alert", ""},
        {"SYSPow", "chkSYSPow", Page::Setting, "Disable Power OFF", ""},
        {"SYSVib", "chkSYSVib", Page::Setting, "Disable vibration mode", ""},
        {"SYSPowSave", "chkSYSPowSave", Page::Setting, "Power Save Disable", ""},
        {"SYSPrivacy", "chkSYSPrivacy", Page::Setting, "Privacy Enable", ""},
        {"PTL", "cboPTL", Page::Setting, "Push To Listen", ""},
        {"ResetCon", "cboResetCon", Page::Setting, "Reset control", ""},
        {"Delay", "edtDelay", Page::Setting, "Delay Time", "Second"},
        {"AutoMonitor", "edtAutoMonitor", Page::Setting, "Auto Monitor key time", "Second"},
        {"AudioLock", "edtAudioLock", Page::Setting, "Audio lock on key time", "Second"},
        {"Reminder", "cboReminder", Page::Setting, "Reminder", ""},
        {"RecordMax", "cboRecordMax", Page::Setting, "Record Section", ""},
        {"DecorderReset", "edtDecorderReset", Page::Config, "Decorder Reset", "Second"},
        {"T11", "edtT11", Page::Call, "CALL #1 TONE1", "Hz"},
        {"T12", "edtT12", Page::Call, "CALL #2 TONE1", "Hz"},
        {"T13", "edtT13", Page::Call, "CALL #3 TONE1", "Hz"},
        {"T14", "edtT14", Page::Call, "CALL #4 TONE1", "Hz"},
        {"T21", "edtT21", Page::Call, "CALL #1 TONE2", "Hz"},
        {"T22", "edtT22", Page::Call, "CALL #2 TONE2", "Hz"},
        {"T23", "edtT23", Page::Call, "CALL #3 TONE2", "Hz"},
        {"T24", "edtT24", Page::Call, "CALL #4 TONE2", "Hz"},
        {"T31", "edtT31", Page::Call, "Group CALL #1 TONE", "Hz"},
        {"T32", "edtT32", Page::Call, "Group CALL #2 TONE", "Hz"},
        {"AlertType1", "cboAlertType1", Page::Call, "CALL #1 Alert Type", ""},
        {"AlertType2", "cboAlertType2", Page::Call, "CALL #2 Alert Type", ""},
        {"AlertType3", "cboAlertType3", Page::Call, "CALL #3 Alert Type", ""},
        {"AlertType4", "cboAlertType4", Page::Call, "CALL #4 Alert Type", ""},
        {"GAlertType1", "cboGAlertType1", Page::Call, "Group CALL #1 Alert Type", ""},
        {"GAlertType2", "cboGAlertType2", Page::Call, "Group CALL #2 Alert Type", ""},
        {"AlertTime1", "edtAlertTime1", Page::Call, "CALL #1 Alert Time", "Second"},
        {"AlertTime2", "edtAlertTime2", Page::Call, "CALL #2 Alert Time", "Second"},
        {"AlertTime3", "edtAlertTime3", Page::Call, "CALL #3 Alert Time", "Second"},
        {"AlertTime4", "edtAlertTime4", Page::Call, "CALL #4 Alert Time", "Second"},
        {"GAlertTime1", "edtGAlertTime1", Page::Call, "Group CALL #1 Alert Time", "Second"},
        {"GAlertTime2", "edtGAlertTime2", Page::Call, "Group CALL #2 Alert Time", "Second"},
        {"Priority1", "chkPriority1", Page::Call, "CALL #1 Priority Alert", ""},
        {"Priority2", "chkPriority2", Page::Call, "CALL #2 Priority Alert", ""},
        {"Priority3", "chkPriority3", Page::Call, "CALL #3 Priority Alert", ""},
        {"Priority4", "chkPriority4", Page::Call, "CALL #4 Priority Alert", ""},
        {"GPriority1", "chkGPriority1", Page::Call, "Group CALL #1 Priority Alert", ""},
        {"GPriority2", "chkGPriority2", Page::Call, "Group CALL #2 Priority Alert", ""},
        {"Duty1", "chkDuty1", Page::Call, "CALL #1 ON", ""},
        {"Duty2", "chkDuty2", Page::Call, "CALL #2 ON", ""},
        {"Duty3", "chkDuty3", Page::Call, "CALL #3 ON", ""},
        {"Duty4", "chkDuty4", Page::Call, "CALL #4 ON", ""},
        {"GDuty1", "chkGDuty1", Page::Call, "Group CALL #1 ON", ""},
        {"GDuty2", "chkGDuty2", Page::Call, "Group CALL #2 ON", ""},
        {"GapMax", "edtGapMax", Page::Advance, "Gap MAX.", "x 100 ms"},
        {"NoiseLimit", "edtNoiseLimit", Page::Config, "Noise limit", "x 100 ms"},
        {"Squelch", "edtSquelch", Page::Advance, "Carrier OFF delay", "x 150 ms"},
        {"VolumeLevel", "chkVolumeLevel", Page::Setting, "Priority Max. Volume Level", ""},
        {"FullTimeAutoMonitor", "chkFullTimeAutoMonitor", Page::Setting, "Full Time Auto Monitor",
         ""},
        {"DelayFullTime", "edtDelayFullTime", Page::Setting, "Standby To Monitor Delay Time",
         "seconds"},
        {"NRSSIRpTM", "edtNRSSIRpTM", Page::Advance, "NRSSI Response Time", "x 10 ms"},
        {"MiniRecTime", "edtMiniRecTime", Page::Advance, "Mini Record Time", "x 10 ms"},
    };
    return fields;
}

const ListedField* FindListedField(std::string_view field) {
    for (const ListedField& f : ListedFields())
        if (f.field == field) return &f;
    return nullptr;
}

}  // namespace mk843nb
