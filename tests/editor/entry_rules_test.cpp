// Numeric fields: entry, key filters, leave checks, Enter.

#include <vector>

#include "model_fixture.h"

namespace mk843nb {
namespace {

struct LeaveCase {
    const char* control;
    const char* typed;
    const char* message;  // "" when accepted
    std::size_t offset;
    std::vector<std::uint8_t> bytes;  // after leaving; the stored bytes when refused
    const char* textAfter;
};

std::ostream& operator<<(std::ostream& os, const LeaveCase& c) {
    return os << c.control << "=" << c.typed;
}

class LeaveCheck : public ModelTest, public ::testing::WithParamInterface<LeaveCase> {};

TEST_P(LeaveCheck, StoresOrRefusesAsTheFieldSays) {
    const LeaveCase& c = GetParam();
    if (std::string_view(c.control) == "edtDelay") Pick("cboResetCon", "Delay N sec Auto Reset");
    if (std::string_view(c.control) == "edtDelayFullTime") user.Click("chkFullTimeAutoMonitor");
    user.Focus(c.control);
    ASSERT_EQ(user.Focused(), c.control);
    EXPECT_EQ(Text(c.control), "") << "entering empties the field";
    EXPECT_EQ(user.TypeText(c.typed), 0);
    user.Focus("edtNull");
    const std::vector<std::string> shown = Shown();
    if (*c.message) {
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0], c.message);
    } else {
        EXPECT_TRUE(shown.empty()) << shown[0];
    }
    for (std::size_t i = 0; i < c.bytes.size(); ++i)
        EXPECT_EQ(Byte(c.offset + i), c.bytes[i]) << "byte " << i;
    EXPECT_EQ(Text(c.control), c.textAfter);
}

constexpr const char* kHalf = "Please insert a number between 1 to 127.5";
constexpr const char* k255 = "Please insert a number between 0 to 255";
constexpr const char* k65535 = "Please insert a number between 0 to 65535";
constexpr const char* kVolt = "Please insert a number between 0 to 1";
constexpr const char* kGrid = "The interval is 0.5 second.";

INSTANTIATE_TEST_SUITE_P(
    Fields, LeaveCheck,
    ::testing::Values(
        // Half seconds: the range, the 0.5 grid, the one-decimal format.
        LeaveCase{"edtDelay", "127.5", "", 68, {255}, "127.5"},
        LeaveCase{"edtDelay", "3", "", 68, {6}, "3.0"},
        LeaveCase{"edtDelay", "128", kHalf, 68, {16}, "128"},
        LeaveCase{"edtDelay", "0.5", kHalf, 68, {16}, "0.5"},
        LeaveCase{"edtDelay", "3.3", kGrid, 68, {16}, "8.0"},
        LeaveCase{"edtAutoMonitor", "1", "", 65, {2}, "1.0"},
        LeaveCase{"edtAudioLock", "2.5", "", 66, {5}, "2.5"},
        LeaveCase{"edtDelayFullTime", "10", "", 82, {20}, "10.0"},
        LeaveCase{"edtDecorderReset", "0", "", 80, {0}, "0.0"},
        LeaveCase{"edtDecorderReset", "0.5", "", 80, {1}, "0.5"},
        LeaveCase{"edtDecorderReset", "127.5", "", 80, {255}, "127.5"},
        LeaveCase{"edtDecorderReset", "0.3", kGrid, 80, {60}, "30.0"},
        // Bytes and words.
        LeaveCase{"edtBS_Period", "255", "", 58, {255}, "255"},
        LeaveCase{"edtBS_Period", "256", k255, 58, {15}, "256"},
        LeaveCase{"edtBS_Duty", "007", "", 59, {7}, "007"},
        LeaveCase{"edtTone1Len", "65535", "", 52, {0xFF, 0xFF}, "65535"},
        LeaveCase{"edtTone1Len", "256", "", 52, {0x01, 0x00}, "256"},
        LeaveCase{"edtTone1Len", "65536", k65535, 52, {0x00, 0x03}, "65536"},
        LeaveCase{"edtTone2Limit", "65535", "", 54, {0xFF, 0xFF}, "65535"},
        LeaveCase{"edtTone2Len", "300", "", 56, {0x01, 0x2C}, "300"},
        LeaveCase{"edtNRSSIRpTM", "4", "Please insert a number between 5 to 100", 139, {10}, "4"},
        LeaveCase{"edtNRSSIRpTM", "5", "", 139, {5}, "5"},
        LeaveCase{"edtNRSSIRpTM", "100", "", 139, {100}, "100"},
        LeaveCase{
            "edtMiniRecTime", "201", "Please insert a number between 0 to 200", 141, {0}, "201"},
        LeaveCase{"edtTone3Len", "50", "", 73, {0x00, 0x32}, "50"},
        // GapMax is one byte: 256 is refused instead of being stored as 0.
        LeaveCase{"edtGapMax", "255", "", 78, {255}, "255"},
        LeaveCase{"edtGapMax", "256", k255, 78, {5}, "256"},
        LeaveCase{"edtSquelch", "255", "", 83, {255}, "255"},
        // Voltages: two decimals shown, the code of the typed value stored.
        LeaveCase{"edtRSSI", "1", "", 64, {85}, "1.00"},
        LeaveCase{"edtRSSI", "1.01", kVolt, 64, {60}, "1.01"},
        LeaveCase{"edtRSSI", "0.5", "", 64, {43}, "0.50"},
        LeaveCase{"edtSSI", "0", "", 79, {0}, "0.00"},
        LeaveCase{"edtSSI", "0.97", "", 79, {82}, "0.97"},
        LeaveCase{"edtRSSI2", "0.02", "", 76, {1}, "0.02"}));

TEST_F(ModelTest, LeavingAnEmptiedFieldBringsTheStoredValueBack) {
    for (const char* name :
         {"edtBS_Period", "edtRSSI2", "edtDecorderReset", "edtTone1Len", "edtAudioLock"}) {
        const std::string before = Text(name);
        const PagerImage image = model.Image();
        user.Focus(name);
        EXPECT_EQ(Text(name), "");
        user.Focus("edtNull");
        EXPECT_EQ(Text(name), before) << name;
        EXPECT_EQ(model.Image(), image) << name;
    }
    EXPECT_TRUE(Shown().empty());
}

TEST_F(ModelTest, DigitsOnlyFilterRefusesEverythingButDigitsWithAMessage) {
    user.Focus("edtBS_Period");
    EXPECT_TRUE(user.Type('1'));
    for (char key : {'.', '\b', '-', 'a', ' '}) EXPECT_FALSE(user.Type(key)) << key;
    EXPECT_EQ(Shown(), std::vector<std::string>(5, "Please insert a numeric!"));
    EXPECT_EQ(Text("edtBS_Period"), "1");
    EXPECT_EQ(user.Focused(), "edtBS_Period");
}

TEST_F(ModelTest, DecimalFiltersTakeOneOrTwoDecimalsSilently) {
    struct Case {
        const char* control;
        const char* typed;
        const char* text;
    };
    for (const Case& c :
         {Case{"edtDecorderReset", ".0.5", "0.5"}, Case{"edtDecorderReset", "12.55", "12.5"},
          Case{"edtDecorderReset", "1.5\b\b7", "17"}, Case{"edtRSSI", ".0.75", "0.75"},
          Case{"edtRSSI", "0.759", "0.75"}, Case{"edtRSSI", "0.759\b1", "0.71"},
          Case{"edtRSSI", "a-1 ", "1"}}) {
        user.Focus(c.control);
        user.TypeText(c.typed);
        EXPECT_EQ(Text(c.control), c.text) << c.control << " " << c.typed;
        user.Focus("edtNull");
    }
    EXPECT_TRUE(Shown().empty());
}

TEST_F(ModelTest, EnterInADigitsFieldCommitsAndMovesToTheSink) {
    user.Focus("edtRFDelay");
    user.TypeText("40\r");
    EXPECT_EQ(Byte(75), 40);
    EXPECT_EQ(user.Focused(), "edtNull");
    EXPECT_TRUE(Shown().empty());
}

TEST_F(ModelTest, EnterInATwoDecimalFieldCommitsAndKeepsTheFocus) {
    user.Focus("edtRSSI");
    user.TypeText("0.5\r");
    EXPECT_EQ(Byte(64), 43);
    EXPECT_EQ(user.Focused(), "edtRSSI");
    EXPECT_EQ(Text("edtRSSI"), "0.50");
}

TEST_F(ModelTest, EnterOnAnOutOfRangeHalfSecondShowsTheMessageTwiceAndKeepsTheFocus) {
    user.Focus("edtAutoMonitor");
    user.TypeText("200\r");
    EXPECT_EQ(Shown(), std::vector<std::string>(2, kHalf));
    EXPECT_EQ(user.Focused(), "edtAutoMonitor");
    EXPECT_EQ(Byte(65), 6);
}

TEST_F(ModelTest, EnterOnAnOffGridHalfSecondShowsTheIntervalMessageOnce) {
    user.Focus("edtAutoMonitor");
    user.TypeText("2.2\r");
    EXPECT_EQ(Shown(), std::vector<std::string>{kGrid});
    EXPECT_EQ(Text("edtAutoMonitor"), "3.0");
    EXPECT_EQ(Byte(65), 6);
    EXPECT_EQ(user.Focused(), "edtNull");
}

TEST_F(ModelTest, AnEmptySquelchLeavesTheFocusOnTheSink) {
    user.Focus("edtSquelch");
    user.Focus("edtGapMax");
    EXPECT_EQ(Text("edtSquelch"), "7");
    EXPECT_EQ(user.Focused(), "edtNull");
}

TEST_F(ModelTest, PastedTextThatIsNoNumberIsRefusedAndChangesNothing) {
    const PagerImage image = model.Image();
    for (const char* name : {"edtBS_Period", "edtDelayFullTime", "edtRSSI", "edtFreq", "edtT11"}) {
        if (!Ctl(name).enabled) user.Click("chkFullTimeAutoMonitor");
        const PagerImage before = model.Image();
        user.Focus(name);
        model.TextEdited(name, "1x");
        user.Focus("edtNull");
        EXPECT_EQ(Shown(), std::vector<std::string>{"'1x' is not a valid number"}) << name;
        EXPECT_EQ(model.Image(), before) << name;
        model.TextEdited(name, "");
        user.Focus("edtNull");
    }
    (void)image;
}

TEST_F(ModelTest, PastedHalfSecondsWithMoreDecimalsShowAndStoreTheSameValue) {
    user.Focus("edtDecorderReset");
    model.TextEdited("edtDecorderReset", "3.49");
    user.Focus("edtNull");
    EXPECT_EQ(Text("edtDecorderReset"), "3.5");
    EXPECT_EQ(Byte(80), 7);
}

TEST_F(ModelTest, AMouseMoveOverTheBackgroundCommitsTheFieldBeingEdited) {
    user.Focus("edtBS_Period");
    user.TypeText("300");
    user.MoveMouseOverBackground();
    EXPECT_EQ(Shown(), std::vector<std::string>{k255});
    EXPECT_EQ(user.Focused(), "edtBS_Period");
    user.Type('\b');  // refused with its message, the text stays
    Shown();
}

}  // namespace
}  // namespace mk843nb
