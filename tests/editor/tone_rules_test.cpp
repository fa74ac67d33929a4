// The CALL page: tone entry rules in both modes, markers, the tone table, ON and priority boxes.

#include "image/codecs.h"
#include "image/tones.h"
#include "model_fixture.h"

namespace mk843nb {
namespace {

constexpr const char* kStandardRange = "Please insert a number between 288.5 to 2468.2";
constexpr const char* kUserRange = "Please insert a number between 280 to 3500.0";

class ToneTest : public ModelTest {
protected:
    std::string Spacing() const { return ToneSpacingMessageText(model.ToneSpacing()); }
    void UserMode() { user.Click("radUser"); }
    // Call 2 on with TONE1 at 1000.0, typed in User mode.
    void Call2At1000() {
        user.Click("chkDuty2");
        UserMode();
        user.EnterValue("edtT12", "1000");
        ASSERT_EQ(Word(196), 10000);
        Shown();
    }
};

struct ToneCase {
    bool user;
    const char* typed;
    const char* message;
    int stored;  // T11 afterwards, tenths of a hertz
    const char* text;
};

void PrintTo(const ToneCase& c, std::ostream* out) {
    *out << (c.user ? "User mode, " : "Standard mode, ") << '"' << c.typed << '"';
}

class TypedTone : public ToneTest, public ::testing::WithParamInterface<ToneCase> {};

TEST_P(TypedTone, IntoTone1OfCall1) {
    const ToneCase& c = GetParam();
    if (c.user) UserMode();
    user.EnterValue("edtT11", c.typed);
    const std::vector<std::string> shown = Shown();
    if (*c.message)
        EXPECT_EQ(shown, std::vector<std::string>{c.message});
    else
        EXPECT_TRUE(shown.empty()) << shown[0];
    EXPECT_EQ(Word(192), c.stored);
    EXPECT_EQ(Text("edtT11"), c.text);
    if (!*c.message) {
        EXPECT_EQ(Word(16), ToneDecoderWord(static_cast<std::uint16_t>(c.stored)));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Modes, TypedTone,
    ::testing::Values(
        ToneCase{false, "288.5", "", 2885, "288.5"}, ToneCase{false, "2468.2", "", 24682, "2468.2"},
        ToneCase{false, "288.4", kStandardRange, 6699, ""},
        ToneCase{false, "2468.3", kStandardRange, 6699, ""},
        // Snapping to the nearest standard tone; a tie goes to the higher one.
        ToneCase{false, "331", "", 3305, "330.5"}, ToneCase{false, "1000", "", 10069, "1006.9"},
        ToneCase{false, "600", "", 6009, "600.9"}, ToneCase{false, "292.5", "", 2965, "296.5"},
        ToneCase{true, "280", "", 2800, "280.0"}, ToneCase{true, "3500", "", 35000, "3500.0"},
        ToneCase{true, "279.9", kUserRange, 6699, "279.9"},
        ToneCase{true, "3500.1", kUserRange, 6699, "3500.1"},
        ToneCase{true, "300", "", 3000, "300.0"}));

TEST_F(ToneTest, UserModeKeepsTonesApartByTheSpacingPercentage) {
    Call2At1000();
    struct Case {
        const char* typed;
        bool stored;
    };
    for (const Case& c : {Case{"985", true}, Case{"985.1", false}, Case{"1014.9", false},
                          Case{"1015", true}, Case{"1000", true}}) {
        user.EnterValue("edtT11", c.typed);
        const std::vector<std::string> shown = Shown();
        EXPECT_EQ(shown.empty(), c.stored) << c.typed;
        if (!c.stored) {
            EXPECT_EQ(shown, std::vector<std::string>{Spacing()});
            EXPECT_EQ(Text("edtT11"), FormatTone(Word(192))) << "the stored tone comes back";
            EXPECT_EQ(model.ToneMarkers()[0], 0);
        } else {
            EXPECT_EQ(Word(192), ToneCodeOfText(c.typed).value()) << c.typed;
        }
    }
    // A switched-off call takes no part.
    user.Click("chkDuty2");
    for (const char* typed : {"985.1", "1014.9"}) {
        user.EnterValue("edtT11", typed);
        EXPECT_TRUE(Shown().empty()) << typed;
    }
}

TEST_F(ToneTest, ThePartnerTakesPartAndTwoEqualTonesAreRefusedInBothModes) {
    UserMode();
    user.EnterValue("edtT11", "1000");
    user.EnterValue("edtT21", "1010");
    EXPECT_EQ(Shown(), std::vector<std::string>{Spacing()});
    EXPECT_EQ(Word(194), 7073);
    user.EnterValue("edtT21", "1000");
    EXPECT_EQ(Shown(), std::vector<std::string>{Spacing()});
    user.Click("radStandard");
    user.EnterValue("edtT11", "707.3");
    EXPECT_EQ(Shown(), std::vector<std::string>{Spacing()});
    EXPECT_EQ(Word(192), 10000);
}

TEST_F(ToneTest, StandardModeRefusesATypedToneThatSnapsOntoThePartner) {
    user.EnterValue("edtT21", "330.5");
    ASSERT_TRUE(Shown().empty());
    user.EnterValue("edtT11", "331");
    EXPECT_EQ(Shown(), std::vector<std::string>{Spacing()});
    EXPECT_EQ(Word(192), 6699);
    EXPECT_EQ(Text("edtT11"), "669.9");
}

TEST_F(ToneTest, StandardModeHasNoSpacingRule) {
    user.Click("chkDuty2");
    user.EnterValue("edtT11", "592.5");
    user.EnterValue("edtT12", "600.9");
    EXPECT_TRUE(Shown().empty());
    EXPECT_EQ(Word(192), 5925);
    EXPECT_EQ(Word(196), 6009);
}

TEST_F(ToneTest, TheSpacingMessageNamesThePickedBandwidth) {
    user.Click("Advance2");
    user.Apply(model.SubmitAccessCode("hw527"), false);
    Pick("cboBandWidth", "3.1");
    EXPECT_EQ(model.ToneSpacing(), 31);
    UserMode();
    user.EnterValue("edtT21", "669.9");
    const std::vector<std::string> shown = Shown();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_NE(shown[0].find("minimum of 3.1%. \n\nThe original tone frequency is restored."),
              std::string::npos);
    EXPECT_EQ(shown[0].rfind("Tone Frequency Error!\n\nPlease check the tone spacing rule. \n", 0),
              0u);
}

TEST_F(ToneTest, EnterOnAnOutOfRangeTone) {
    user.Focus("edtT11");
    user.TypeText("100\r");
    EXPECT_EQ(Shown(), std::vector<std::string>{kStandardRange})
        << "the second check finds the field empty";
    EXPECT_EQ(Text("edtT11"), "669.9");
    UserMode();
    user.Focus("edtT11");
    user.TypeText("100\r");
    EXPECT_EQ(Shown(), std::vector<std::string>(2, kUserRange));
    EXPECT_EQ(user.Focused(), "edtT11");
}

TEST_F(ToneTest, TheGroupFieldGetsItsStoredToneBackOnARangeRefusal) {
    user.Click("chkGDuty1");
    EXPECT_EQ(Byte(95) & 1, 1);
    user.EnterValue("edtT31", "100");
    EXPECT_EQ(Shown(), std::vector<std::string>{kStandardRange});
    EXPECT_EQ(Text("edtT31"), "330.5");
    EXPECT_EQ(user.Focused(), "edtT31");
}

TEST_F(ToneTest, TheToneKeyFilter) {
    user.Focus("edtT11");
    EXPECT_FALSE(user.Type('.'));
    user.TypeText("28.5");
    EXPECT_FALSE(user.Type('1'));
    EXPECT_EQ(Text("edtT11"), "28.5");
    user.Type('\b');
    EXPECT_TRUE(user.Type('0'));
    EXPECT_EQ(Text("edtT11"), "28.0");
    EXPECT_TRUE(Shown().empty());
}

TEST_F(ToneTest, F9LabelsMarkersAndTheToneTable) {
    // The start-up refresh checked call 1's tones, TONE2 last; entering a field keeps the other
    // markers.
    EXPECT_EQ(model.ToneMarkers(), (std::array<int, 3>{0, 1, 0}));
    EXPECT_FALSE(Ctl("Label1").visible);
    user.Focus("edtT11");
    EXPECT_TRUE(Ctl("Label1").visible && Ctl("Label2").visible && Ctl("Label9").visible);
    EXPECT_EQ(model.ToneMarkers(), (std::array<int, 3>{1, 1, 0}));
    user.PressF9();
    EXPECT_EQ(user.ToneTableOpenings(), 1);
    // Tabbing on keeps the marker and the labels.
    user.Focus("chkPriority1");
    EXPECT_TRUE(Ctl("Label1").visible);
    user.PressF9();
    EXPECT_EQ(user.ToneTableOpenings(), 2);
    user.MoveMouseOverBackground();
    EXPECT_FALSE(Ctl("Label1").visible);
    EXPECT_EQ(model.ToneMarkers(), (std::array<int, 3>{0, 0, 0}));
    user.PressF9();
    EXPECT_EQ(user.ToneTableOpenings(), 2);
    UserMode();
    user.Focus("edtT21");
    EXPECT_FALSE(Ctl("Label1").visible);
    user.PressF9();
    user.DoubleClick("edtT11");
    EXPECT_EQ(user.ToneTableOpenings(), 2);
    EXPECT_EQ(user.Focused(), "edtT11");
    EXPECT_EQ(Text("edtT11"), "");
}

TEST_F(ToneTest, ThePickedToneGoesIntoTheMarkedFieldOnly) {
    user.Click("chkDuty3");
    user.Focus("edtT13");
    user.PressF9();
    user.PickTone("669.9");
    EXPECT_EQ(Word(200), 6699);
    EXPECT_EQ(Text("edtT13"), "669.9");
    EXPECT_EQ(user.ClosedWindows(), std::vector<std::string>{"TForm2"});
    EXPECT_EQ(model.ToneMarkers(), (std::array<int, 3>{0, 0, 0}));
    // Double-click on a TONE2 field marks it alone.
    user.DoubleClick("edtT21");
    EXPECT_EQ(model.ToneMarkers(), (std::array<int, 3>{0, 1, 0}));
    user.PickTone("669.9");
    EXPECT_EQ(Shown(), std::vector<std::string>{Spacing()});
    EXPECT_EQ(Word(194), 7073);
    EXPECT_EQ(Text("edtT21"), "707.3");
}

TEST_F(ToneTest, TheToneTableNeverStoresIntoALockedField) {
    // A marker left from before Write Mode, or from a call since switched off,
    // must not let the table change a field the user cannot edit.
    user.Focus("edtT11");
    user.Click("RBtWrite");
    ASSERT_NE(model.ToneMarkers(), (std::array<int, 3>{0, 0, 0}));
    user.PressF9();
    EXPECT_EQ(user.ToneTableOpenings(), 0);
    user.PickTone("330.5");
    EXPECT_EQ(Word(192), 6699);

    user.Click("RBtModify");
    user.Click("chkDuty2");
    user.Focus("edtT12");
    user.Click("chkDuty2");
    ASSERT_FALSE(Ctl("edtT12").enabled);
    user.PressF9();
    user.PickTone("330.5");
    EXPECT_EQ(Word(196), 4337);
    EXPECT_EQ(Text("edtT12"), "433.7");
}

TEST_F(ToneTest, SwitchingACallOffAndOn) {
    user.Click("chkDuty2");
    ASSERT_TRUE(Ctl("chkDuty2").checked);
    user.Click("chkDuty2");
    for (const char* name : {"edtT12", "edtT22", "chkPriority2"})
        EXPECT_FALSE(Ctl(name).enabled) << name;
    EXPECT_TRUE(Ctl("panCall2").enabled);
    EXPECT_TRUE(Ctl("chkDuty2").enabled);
    EXPECT_EQ(Byte(48), 0x01);
    EXPECT_TRUE(Ctl("edtT11").enabled);
}

TEST_F(ToneTest, SwitchingACallOnChecksItsTonesAgain) {
    PagerImage image = DefaultImage();
    SetWord(image, 196, 6700);  // T12 670.0, 0.01 % from T11
    Load(image);
    UserMode();
    user.Click("chkDuty2");
    EXPECT_EQ(Shown(), std::vector<std::string>{Spacing()});
    EXPECT_EQ(Word(196), 6700);
    EXPECT_EQ(Byte(48), 0x03);
}

TEST_F(ToneTest, PriorityBoxesWriteBit7Only) {
    Load(DefaultWith({{100, 0x45}, {48, 0x05}}));
    user.Click("chkPriority3");
    EXPECT_EQ(Byte(100), 0xC5);
    user.Click("chkPriority3");
    EXPECT_EQ(Byte(100), 0x45);
}

TEST_F(ToneTest, SwitchingTheModeStoresAndChecksNothing) {
    const PagerImage before = model.Image();
    UserMode();
    user.Click("radStandard");
    EXPECT_EQ(model.Image(), before);
    EXPECT_TRUE(Shown().empty());
}

TEST_F(ToneTest, LoadingAnImageChecksTheTonesOfEveryCallItSwitchesOn) {
    // Call 2 comes on with a tone off the table: Standard Mode snaps it.
    PagerImage image = DefaultWith({{48, 0x03}});
    SetWord(image, 196, 4330);
    Load(image);
    EXPECT_EQ(Word(196), 4337);
    EXPECT_EQ(Text("edtT12"), "433.7");
}

}  // namespace
}  // namespace mk843nb
