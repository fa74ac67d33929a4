// The Setting page's interlocks and the Advance Setting bandwidth, by the user
// and from an image.

#include "model_fixture.h"

namespace mk843nb {
namespace {

constexpr std::size_t kSys = 69, kSys2 = 81, kResetCon = 67;

std::vector<std::string> AllResetMethods() {
    return {"Auto Reset", "Delay N sec Auto Reset",  "Manual RESET", "Time-Out RESET",
            "Revert SQ",  "Delay AUTO N with Revert"};
}

TEST_F(ModelTest, PrivacyForcesPushToListenOffAndBack) {
    Pick("cboPTL", "Alert & Vibration Mode");
    ASSERT_EQ(Byte(kSys) & 0x02, 0x02);
    ASSERT_EQ(Ctl("cboResetCon").items.size(), 4u);
    Pick("cboResetCon", "Time-Out RESET");
    user.Click("chkSYSAudio");  // audio lock off
    user.Click("chkSYSPrivacy");
    EXPECT_EQ(Item("cboPTL"), "Disable");
    EXPECT_EQ(Byte(kSys) & 0x02, 0);
    EXPECT_EQ(Byte(kSys) & 0x80, 0x80);
    EXPECT_EQ(Ctl("cboResetCon").items, AllResetMethods());
    EXPECT_EQ(Item("cboResetCon"), "Time-Out RESET");
    for (const char* name :
         {"chkSYSAudio", "edtAudioLock", "edtAutoMonitor", "cboPTL", "Label75", "Label23"})
        EXPECT_FALSE(Ctl(name).enabled) << name;
    // PTL 1 is remembered in its own bit: unticking Privacy brings "Vibration Mode Only" back.
    PagerImage image = model.Image();
    image[kSys2] |= 0x10;
    Load(image);
    user.Click("chkSYSPrivacy");
    EXPECT_EQ(Item("cboPTL"), "Vibration Mode Only");
    EXPECT_EQ(Byte(kSys) & 0x02, 0x02);
    EXPECT_TRUE(Ctl("cboPTL").enabled);
    EXPECT_TRUE(Ctl("edtAutoMonitor").enabled);
    EXPECT_FALSE(Ctl("edtAudioLock").enabled) << "audio lock is still off";
}

TEST_F(ModelTest, PushToListenTurnsARevertMethodIntoAutoReset) {
    Pick("cboResetCon", "Revert SQ");
    EXPECT_EQ(Byte(kResetCon), 2);
    EXPECT_FALSE(Ctl("edtDelay").visible);
    Pick("cboPTL", "Alert & Vibration Mode");
    EXPECT_EQ(Ctl("cboResetCon").items.size(), 4u);
    EXPECT_EQ(Item("cboResetCon"), "Auto Reset");
    EXPECT_EQ(Byte(kResetCon), 0);
    EXPECT_EQ(Byte(kSys2) & 0x10, 0);
    Pick("cboPTL", "Vibration Mode Only");
    EXPECT_EQ(Byte(kSys2) & 0x10, 0x10);
}

TEST_F(ModelTest, TimeOutResetSurvivesPushToListenBothWays) {
    Pick("cboResetCon", "Time-Out RESET");
    for (const char* ptl : {"Alert & Vibration Mode", "Disable"}) {
        Pick("cboPTL", ptl);
        EXPECT_EQ(Item("cboResetCon"), "Time-Out RESET") << ptl;
        EXPECT_EQ(Byte(kResetCon), 4);
        EXPECT_TRUE(Ctl("edtDelay").visible && Ctl("Label26").visible && Ctl("Label32").visible);
    }
}

TEST_F(ModelTest, ResetMethodsStoreTheirCodes) {
    struct Case {
        const char* item;
        int code;
        bool delay;
    };
    for (const Case& c : {Case{"Auto Reset", 0, false}, Case{"Delay N sec Auto Reset", 1, true},
                          Case{"Manual RESET", 3, false}, Case{"Time-Out RESET", 4, true},
                          Case{"Revert SQ", 2, false}, Case{"Delay AUTO N with Revert", 5, true}}) {
        Pick("cboResetCon", c.item);
        EXPECT_EQ(Byte(kResetCon), c.code) << c.item;
        EXPECT_EQ(Ctl("edtDelay").visible, c.delay) << c.item;
    }
}

TEST_F(ModelTest, ReminderRecordSectionsAndBandwidthStoreTheirCodes) {
    Pick("cboReminder", "120 Second");
    EXPECT_EQ(Byte(70), 240);
    Pick("cboReminder", "30  Second");
    EXPECT_EQ(Byte(70), 60);
    Pick("cboReminder", "Disable");
    EXPECT_EQ(Byte(70), 0);
    Pick("cboRecordMax", "1 section  (120 second)");
    EXPECT_EQ(Byte(62), 0);
    Pick("cboRecordMax", "4 sections (30 second)");
    EXPECT_EQ(Byte(62), 2);
    Pick("cboBandWidth", "0.1");
    EXPECT_EQ(Byte(49), 0);
    EXPECT_EQ(model.ToneSpacing(), 1);
    Pick("cboBandWidth", "3.1");
    EXPECT_EQ(Byte(49), 15);
    EXPECT_EQ(model.ToneSpacing(), 31);
}

TEST_F(ModelTest, OptionBoxesEnableTheirFields) {
    user.Click("chkSYSSV");
    EXPECT_EQ(Byte(kSys) & 0x01, 0);
    EXPECT_FALSE(Ctl("cboRecordMax").enabled);
    EXPECT_FALSE(Ctl("Label21").enabled);
    user.Click("chkFullTimeAutoMonitor");
    EXPECT_EQ(Byte(kSys2) & 0x04, 0x04);
    for (const char* name : {"edtDelayFullTime", "lblStandbyToMonitorDelay", "lblStandbySec"})
        EXPECT_TRUE(Ctl(name).enabled) << name;
    const std::uint8_t sys = Byte(kSys);
    user.Click("chkSYSPow");
    EXPECT_EQ(Byte(kSys), sys | 0x10);
    user.Click("chkVolumeLevel");
    EXPECT_EQ(Byte(kSys2) & 0x08, 0);
}

// --- the same rules run by the refresh ---

TEST_F(ModelTest, ReminderOfAnyValueIsReplacedByItsRange) {
    for (auto [code, item, stored] :
         {std::tuple{100, "60  Second", 120}, std::tuple{1, "30  Second", 60},
          std::tuple{255, "120 Second", 240}, std::tuple{0, "Disable", 0}}) {
        Load(DefaultWith({{70, static_cast<std::uint8_t>(code)}}));
        EXPECT_EQ(Item("cboReminder"), item);
        EXPECT_EQ(Byte(70), stored);
    }
}

TEST_F(ModelTest, RefreshOfPrivacyPushToListenAndResetMethods) {
    struct Case {
        std::uint8_t sys;
        std::uint8_t sys2;
        std::uint8_t resetCon;
        const char* ptl;
        bool ptlEnabled;
        const char* reset;  // "" for no selection
        int resetAfter;
        bool delay;
        std::uint8_t sysAfter;
    };
    for (const Case& c : {
             Case{0x05, 0x08, 2, "Disable", true, "Revert SQ", 2, false, 0x05},
             Case{0x05, 0x08, 4, "Disable", true, "Time-Out RESET", 4, true, 0x05},
             Case{0x07, 0x08, 2, "Alert & Vibration Mode", true, "Auto Reset", 0, false, 0x07},
             Case{0x07, 0x18, 5, "Vibration Mode Only", true, "Auto Reset", 0, false, 0x07},
             // Privacy keeps the image's Push To Listen setting, locked.
             Case{0x87, 0x08, 1, "Alert & Vibration Mode", false, "Delay N sec Auto Reset", 1, true,
                  0x87},
             Case{0x05, 0x08, 0, "Disable", true, "Auto Reset", 0, false, 0x05},
             // A method no list shows: no selection, the byte kept, the list still usable.
             Case{0x05, 0x08, 9, "Disable", true, "", 9, false, 0x05},
         }) {
        Load(DefaultWith({{kSys, c.sys}, {kSys2, c.sys2}, {kResetCon, c.resetCon}}));
        SCOPED_TRACE(testing::Message() << "SYS " << int(c.sys) << " ResetCon " << int(c.resetCon));
        EXPECT_EQ(Item("cboPTL"), c.ptl);
        EXPECT_EQ(Ctl("cboPTL").enabled, c.ptlEnabled);
        EXPECT_EQ(Item("cboResetCon"), c.reset);
        EXPECT_EQ(Byte(kResetCon), c.resetAfter);
        EXPECT_EQ(Ctl("edtDelay").visible, c.delay);
        EXPECT_EQ(Byte(kSys), c.sysAfter);
        EXPECT_TRUE(Ctl("cboResetCon").enabled);
    }
}

TEST_F(ModelTest, RefreshOfPrivacyAndAudioLockEnabling) {
    Load(DefaultWith({{kSys, 0x80}}));
    for (const char* name : {"cboPTL", "edtAudioLock", "edtAutoMonitor", "chkSYSAudio"})
        EXPECT_FALSE(Ctl(name).enabled) << name;
    Load(DefaultWith({{kSys, 0x00}}));
    EXPECT_FALSE(Ctl("edtAudioLock").enabled);
    EXPECT_TRUE(Ctl("edtAutoMonitor").enabled);
    EXPECT_TRUE(Ctl("cboPTL").enabled);
    EXPECT_EQ(Item("cboPTL"), "Disable");
    EXPECT_FALSE(Ctl("cboRecordMax").enabled);
}

TEST_F(ModelTest, LoadingAnImageLeavesToneSpacingAsPicked) {
    Load(DefaultWith({{49, 10}}));
    EXPECT_EQ(Item("cboBandWidth"), "2.1");
    EXPECT_EQ(model.ToneSpacing(), 15);
    Pick("cboBandWidth", "2.1");
    EXPECT_EQ(model.ToneSpacing(), 21);
    Load(DefaultWith({{49, 0}}));
    EXPECT_EQ(Item("cboBandWidth"), "0.1");
    EXPECT_EQ(model.ToneSpacing(), 21);
}

TEST_F(ModelTest, CodesOutsideTheirListsShowNoSelection) {
    Load(DefaultWith({{62, 3}, {49, 16}, {96, 0x09}, {112, 0xFF}, {63, 94}}));
    EXPECT_EQ(Item("cboRecordMax"), "");
    EXPECT_EQ(Item("cboBandWidth"), "");
    EXPECT_EQ(Item("cboAlertType1"), "");
    EXPECT_EQ(Item("cboGAlertType1"), "");
    EXPECT_EQ(Item("cboBatteryLow"), "1.10 v");
    EXPECT_EQ(Byte(62), 3);
    Load(DefaultWith({{63, 100}}));
    EXPECT_EQ(Item("cboBatteryLow"), "1.17 v");
    Load(DefaultWith({{63, 50}}));
    EXPECT_EQ(Item("cboBatteryLow"), "1.17 v") << "other codes keep the selection";
}

TEST_F(ModelTest, RefreshShowsFormattedValues) {
    PagerImage image = DefaultWith({{1, 1}, {2, 89}, {64, 255}, {65, 255}, {80, 1}});
    SetWord(image, 224, 65535);
    Load(image);
    EXPECT_EQ(Text("edtVersion"), "1.89");
    EXPECT_EQ(Text("edtRSSI"), "3.00");
    EXPECT_EQ(Text("edtAutoMonitor"), "127.5");
    EXPECT_EQ(Text("edtDecorderReset"), "0.5");
    EXPECT_EQ(Text("edtT31"), "6553.5");
}

}  // namespace
}  // namespace mk843nb
