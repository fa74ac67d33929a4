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
             Case{"T11", "1015\rx", "T11 takes printable characters only"},
             Case{"BS_Period", "1\b2", "BS_Period takes printable characters only"},
             Case{"T11", "1015.55",
                  "'1015.55' cannot be typed into T11: the field does not take '5' there"},
             Case{"Delay", "3", "Delay is hidden and cannot be set"},
             Case{"MUTL", "2", "MUTL is shown only and cannot be set"},
             Case{"CSpace", "25 K",
                  "'25 K' is not an item of CSpace (\"12.5 K\", \"10 K\", \"Auto\")"},
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
