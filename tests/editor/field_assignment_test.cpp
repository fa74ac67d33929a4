// Values set by field name as a user would (the core of `set`).

#include "editor/field_assignment.h"

#include "model_fixture.h"

namespace mk843nb {
namespace {

std::vector<std::string> Texts(const std::vector<Message>& messages) {
    std::vector<std::string> texts;
    for (const Message& m : messages) texts.push_back(m.text);
    return texts;
}

TEST_F(ModelTest, AssignmentsRefusedBeforeAnythingIsTypedLeaveTheImageAlone) {
    struct Case {
        const char* field;
        std::string value;
        const char* message;
    };
    const PagerImage before = model.Image();
    for (const Case& c : {
             // Enter inside the value would commit its first half.
             Case{"T11", "1015\rx", "takes printable characters only"},
             Case{"BS_Period", "1\b2", "takes printable characters only"},
             Case{"T11", "1015.55", "'1015.55' cannot be typed: the field does not take '5' there"},
             Case{"Delay", "3", "hidden and cannot be set"},
             Case{"MUTL", "2", "shown only and cannot be set"},
             Case{"CSpace", "25 K",
                  "'25 K' is not an item; the items are \"12.5 K\", \"10 K\", \"Auto\""},
         }) {
        EXPECT_EQ(Texts(AssignField(user, c.field, c.value)), std::vector<std::string>{c.message})
            << c.field;
        EXPECT_EQ(model.Image(), before) << c.field;
    }
}

TEST_F(ModelTest, AssignmentsTakeEffectAsClicksPicksAndTypedValues) {
    EXPECT_TRUE(AssignField(user, "Duty3", "1").empty());
    EXPECT_TRUE(AssignField(user, "Duty3", "1").empty()) << "already ticked: no click";
    EXPECT_TRUE(Ctl("chkDuty3").checked);
    EXPECT_TRUE(AssignField(user, "RangeFreq", "400-499 MHz").empty());
    EXPECT_EQ(Byte(3), 4);
    EXPECT_TRUE(AssignField(user, "T13", "1000").empty());
    EXPECT_EQ(Word(200), 10069);
    EXPECT_EQ(user.Focused(), "edtNull");
    EXPECT_EQ(ShownValue(model, *FindListedField("T13")), "1006.9");
    EXPECT_EQ(ShownValue(model, *FindListedField("Duty3")), "1");
    EXPECT_EQ(ShownValue(model, *FindListedField("CSpace")), "12.5 K");
}

TEST(FrequencyAssignment, MegahertzAreTypedAsTheirHundredsOfHertz) {
    const std::string takes =
        "hundreds of hertz, 1350000 to 1740000 (135-174 MHz) or 4000000 to 4990000 (400-499 "
        "MHz), on the channel spacing: 154.43 MHz is 1544300, also written 154.43MHz";
    struct Case {
        const char* value;
        const char* shown;    // Freq afterwards, when taken
        std::string refused;  // otherwise
    };
    for (const Case& c : {
             Case{"154.43MHz", "1544300", ""},
             Case{"154.4300 mhz", "1544300", ""},
             Case{"159MHz", "1590000", ""},
             Case{"1544300", "1544300", ""},
             // Converted, then refused by the field's own rules.
             Case{"154.4301MHz", nullptr, "Channel Spacing Error!"},
             Case{"199MHz", nullptr, "Frequency setting error(1350000 < = Frequency < =1740000 )"},
             // What the field takes instead of the key it dropped.
             Case{"154.4300", nullptr, "'154.4300' cannot be typed: the field takes " + takes},
             Case{"154.43005MHz", nullptr, "'154.43005MHz' is not a frequency it takes: " + takes},
             Case{"MHz", nullptr, "'MHz' is not a frequency it takes: " + takes},
         }) {
        FormModel model;
        FormDriver user(model);
        user.ReplaceImage(DefaultImage());
        std::vector<std::string> expected;
        if (!c.shown) expected.push_back(c.refused);
        EXPECT_EQ(Texts(AssignField(user, "Freq", c.value)), expected) << c.value;
        if (c.shown) {
            EXPECT_EQ(ShownValue(model, *FindListedField("Freq")), c.shown) << c.value;
        }
    }
}

TEST_F(ModelTest, ListItemsMatchWhateverTheCaseAndBlanks) {
    struct Case {
        const char* field;
        const char* value;
        const char* picked;
    };
    for (const Case& c : {
             Case{"Reminder", "60 Second", "60  Second"},
             Case{"Reminder", "  30   SECOND ", "30  Second"},
             Case{"Reminder", "disable", "Disable"},
             Case{"ResetCon", "delay n sec auto reset", "Delay N sec Auto Reset"},
             Case{"RecordMax", "1 SECTION (120 second)", "1 section  (120 second)"},
             Case{"CSpace", "12.5 k", "12.5 K"},
         }) {
        EXPECT_TRUE(AssignField(user, c.field, c.value).empty()) << c.value;
        EXPECT_EQ(ShownValue(model, *FindListedField(c.field)), c.picked) << c.value;
    }
    // Blanks inside a word still count: "6 0 Second" is no item.
    EXPECT_FALSE(AssignField(user, "Reminder", "6 0 Second").empty());
}

TEST(RefusalText, NamesTheFieldAndCaptionBeforeTheMessage) {
    const std::vector<Message> range = {
        {MessageKind::Exclamation, "Please insert a number between 0 to 255"}};
    EXPECT_EQ(RefusalText("BS_Period", range),
              "BS_Period (Battery Save): Please insert a number between 0 to 255");
    EXPECT_EQ(RefusalText("T11", {{MessageKind::Exclamation, "a"}, {MessageKind::Plain, "b"}}),
              "T11 (CALL #1 TONE1): a\nb");
    // A name that is no field has no caption to give.
    EXPECT_EQ(RefusalText("Nothing", {{MessageKind::Exclamation, "Unknown field 'Nothing'"}}),
              "Unknown field 'Nothing'");
}

TEST(RefusalText, NamesTheValueTypedUnlessTheRefusalQuotesIt) {
    const Message range{MessageKind::Exclamation, "Please insert a number between 288.5 to 2468.2"};
    struct Case {
        const char* field;
        const char* value;
        std::vector<Message> refusal;
        const char* expected;
    };
    const Case cases[] = {
        {"T11",
         "7073",
         {range},
         "T11 (CALL #1 TONE1): 7073: Please insert a number between 288.5 to 2468.2"},
        {"T11",
         "6.25 K",
         {range},
         "T11 (CALL #1 TONE1): 6.25 K: Please insert a number between 288.5 to 2468.2"},
        {"T11",
         "",
         {range},
         "T11 (CALL #1 TONE1): '': Please insert a number between 288.5 to 2468.2"},
        // Only the first line gets the value; the rest follow as they were.
        {"T11",
         "1",
         {range, {MessageKind::Plain, "b"}},
         "T11 (CALL #1 TONE1): 1: Please insert a number between 288.5 to 2468.2\nb"},
        {"Freq",
         "15x",
         {{MessageKind::Exclamation, "'15x' is not a valid number"}},
         "Freq (Frequency): '15x' is not a valid number"},
        {"Nothing",
         "3",
         {{MessageKind::Exclamation, "Unknown field 'Nothing'"}},
         "Unknown field 'Nothing'"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RefusalText(c.field, c.value, c.refusal), c.expected) << c.value;
}

TEST_F(ModelTest, AFrequencyOutsideItsBandHoldsTheFocusUntilItIsSet) {
    PagerImage image{};  // all zero: band 400-499 MHz, frequency 0
    Load(image);
    EXPECT_EQ(user.Focused(), "edtFreq");
    Shown();
    EXPECT_EQ(
        Texts(AssignField(user, "BS_Period", "3")),
        std::vector<std::string>{"Frequency setting error(4000000 < = Frequency < =4990000 )"});
    EXPECT_EQ(Byte(58), 0);
    EXPECT_TRUE(AssignField(user, "Freq", "4620000").empty());
    EXPECT_TRUE(AssignField(user, "BS_Period", "3").empty());
    EXPECT_EQ(Byte(58), 3);
    EXPECT_EQ(Byte(4), 6);
}

}  // namespace
}  // namespace mk843nb
