// The Advance password and the Modify / Write edit modes.

#include "model_fixture.h"

namespace mk843nb {
namespace {

class AccessTest : public ModelTest {
protected:
    void Submit(std::string_view code) { user.Apply(model.SubmitAccessCode(code), false); }
};

TEST_F(AccessTest, TheAccessCodeShowsTheAdvanceSettingPage) {
    for (const char* code : {"HW527", "hw527", "  Hw527 \t"}) {
        FormModel fresh;
        EXPECT_EQ(fresh.SubmitAccessCode(code), (Effects{{EffectKind::CloseWindow, {}, "TForm4"}}))
            << code;
        EXPECT_TRUE(fresh.Find("TabSheet4")->visible);
        EXPECT_FALSE(fresh.Find("Advance2")->enabled);
    }
}

TEST_F(AccessTest, ThreeWrongCodesCloseTheWindowAndTheCountStartsAgain) {
    user.Click("Advance2");
    for (const char* code : {"HW5277", "H W527", "HW52"}) Submit(code);
    EXPECT_EQ(Shown(), std::vector<std::string>(3, "Password is Error !"));
    EXPECT_EQ(user.ClosedWindows(), std::vector<std::string>{"TForm4"});
    EXPECT_FALSE(Ctl("TabSheet4").visible);
    EXPECT_TRUE(Ctl("Advance2").enabled);
    user.Click("Advance2");
    Submit("x");
    Submit("y");
    EXPECT_EQ(user.ClosedWindows().size(), 1u);
    Submit("HW527");
    EXPECT_TRUE(Ctl("TabSheet4").visible);
}

bool EditingControl(const ControlState& c) {
    const std::string_view prefix = c.name.substr(0, 3);
    return prefix == "edt" || prefix == "cbo" || prefix == "chk" || prefix == "btn";
}

TEST_F(ModelTest, WriteModeLocksEveryEditingControl) {
    user.Click("RBtWrite");
    for (const ControlState& c : model.Controls()) {
        if (c.name == "edtVersion" || c.name == "edtNull") {
            EXPECT_TRUE(c.enabled) << c.name;
        } else if (EditingControl(c)) {
            EXPECT_FALSE(c.enabled) << c.name;
        }
    }
    EXPECT_TRUE(Ctl("Write1").enabled);
    EXPECT_TRUE(Ctl("radStandard").enabled && Ctl("radUser").enabled && Ctl("RBtModify").enabled);
    // A new image shows its values and enables nothing.
    Load(DefaultWith({{48, 0x0F}, {69, 0x00}, {81, 0x04}}));
    EXPECT_EQ(Text("edtT14"), "539.0");
    for (const char* name :
         {"edtT14", "chkDuty4", "edtAutoMonitor", "edtDelayFullTime", "cboPTL", "edtFreq"})
        EXPECT_FALSE(Ctl(name).enabled) << name;
}

TEST_F(ModelTest, ModifyModeAppliesTheEnablingRulesAgain) {
    Load(DefaultWith({{48, 0x0B}, {69, 0x84}}));  // call 3 off, Save voice off, Privacy on
    user.Click("RBtWrite");
    user.Click("RBtModify");
    EXPECT_FALSE(Ctl("Write1").enabled);
    for (const char* name : {"edtT13", "edtT23", "chkPriority3", "cboRecordMax", "cboPTL",
                             "chkSYSAudio", "edtAudioLock", "edtAutoMonitor", "edtDelayFullTime"})
        EXPECT_FALSE(Ctl(name).enabled) << name;
    for (const char* name :
         {"edtT14", "chkDuty3", "cboPort", "edtFreq", "edtBS_Period", "chkSYSPrivacy"})
        EXPECT_TRUE(Ctl(name).enabled) << name;
}

TEST_F(ModelTest, ALinkCommandLocksThePagerMenu) {
    model.SetLinkBusy(true);
    EXPECT_FALSE(Ctl("Read1").enabled || Ctl("Verify1").enabled || Ctl("Write1").enabled);
    model.SetLinkBusy(false);
    EXPECT_TRUE(Ctl("Read1").enabled && Ctl("Verify1").enabled);
    EXPECT_FALSE(Ctl("Write1").enabled);
}

TEST_F(ModelTest, DisabledOrHiddenControlsTakeNoEvents) {
    const PagerImage before = model.Image();
    EXPECT_TRUE(model.Click("chkPriority2").empty());
    EXPECT_TRUE(model.Enter("edtDelay").empty());
    EXPECT_FALSE(model.KeyPress("edtDelay", '1').accepted);
    EXPECT_TRUE(model.Select("cboAlertType1", 3).empty());
    EXPECT_FALSE(Ctl("chkPriority2").checked);
    EXPECT_EQ(model.Image(), before);
}

}  // namespace
}  // namespace mk843nb
