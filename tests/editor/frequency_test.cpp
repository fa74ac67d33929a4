// The "Frequency" box: band, frequency, channel spacing and the synthesizer words.

#include "model_fixture.h"

namespace mk843nb {
namespace {

constexpr const char* kLowBandError = "Frequency setting error(1350000 < = Frequency < =1740000 )";

struct FreqCase {
    const char* band;
    const char* spacing;
    const char* typed;
    const char* message;  // "" when stored
    int cspace;           // CSpace afterwards
    const char* pllr;     // afterwards
    const char* plln;
};

std::ostream& operator<<(std::ostream& os, const FreqCase& c) {
    return os << c.band << " " << c.spacing << " " << c.typed;
}

class FrequencyEntry : public ModelTest, public ::testing::WithParamInterface<FreqCase> {};

TEST_P(FrequencyEntry, StoresOnTheRasterOrRefuses) {
    const FreqCase& c = GetParam();
    Pick("cboRangeFreq", c.band);
    Pick("cboCSpace", c.spacing);
    Shown();
    const PagerImage before = model.Image();
    user.EnterValue("edtFreq", c.typed);
    const std::vector<std::string> shown = Shown();
    if (*c.message) {
        EXPECT_EQ(shown, std::vector<std::string>{c.message});
        EXPECT_EQ(user.Focused(), "edtFreq");
        EXPECT_TRUE(std::equal(before.begin() + 3, before.begin() + 10, model.Image().begin() + 3));
    } else {
        EXPECT_TRUE(shown.empty());
        EXPECT_EQ(Text("edtFreq"), c.typed);
        for (int i = 0; i < 7; ++i)
            EXPECT_EQ(Byte(3 + static_cast<std::size_t>(i)), c.typed[i] - '0');
    }
    EXPECT_EQ(Byte(10), c.cspace);
    EXPECT_EQ(Text("lblPLLR"), c.pllr);
    EXPECT_EQ(Text("lblPLLN"), c.plln);
}

INSTANTIATE_TEST_SUITE_P(
    Bands, FrequencyEntry,
    ::testing::Values(
        FreqCase{"135-174 MHz", "Auto", "1590000", "", 32, "00008011", "000AC000"},
        FreqCase{"135-174 MHz", "Auto", "1590125", "", 33, "00010011", "00158080"},
        FreqCase{"135-174 MHz", "Auto", "1590050", "", 36, "00028011", "0035C080"},
        FreqCase{"135-174 MHz", "Auto", "1590025", "", 37, "00050011", "006B8080"},
        FreqCase{"135-174 MHz", "Auto", "1590010", "Channel Spacing Error!", 32, "00008011",
                 "000AC000"},
        FreqCase{"135-174 MHz", "12.5 K", "1350000", "", 0, "00010011", "0011C000"},
        FreqCase{"135-174 MHz", "12.5 K", "1740000", "", 0, "00010011", "0017D800"},
        FreqCase{"135-174 MHz", "12.5 K", "1349999", kLowBandError, 0, "00010011", "00158000"},
        FreqCase{"135-174 MHz", "12.5 K", "1740001", kLowBandError, 0, "00010011", "00158000"},
        FreqCase{"135-174 MHz", "10 K", "1740000", "", 1, "00014011", "001DCE00"},
        FreqCase{"400-499 MHz", "6.25 K", "4620000", "", 2, "00040011", "0089B000"},
        FreqCase{"400-499 MHz", "5 K", "4620000", "", 3, "00050011", "00AC1C00"},
        FreqCase{"400-499 MHz", "12.5 K", "4000000", "", 0, "00020011", "003B2800"},
        FreqCase{"400-499 MHz", "12.5 K", "4990000", "", 0, "00020011", "004AA000"},
        FreqCase{"400-499 MHz", "12.5 K", "1590000",
                 "Frequency setting error(4000000 < = Frequency < =4990000 )", 0, "00020011",
                 "0044D800"}));

TEST_F(ModelTest, TheBandRemembersItsFrequency) {
    Pick("cboRangeFreq", "400-499 MHz");
    EXPECT_EQ(Text("edtFreq"), "4620000");
    EXPECT_EQ(std::vector<std::uint8_t>(model.Image().begin() + 3, model.Image().begin() + 10),
              (std::vector<std::uint8_t>{4, 6, 2, 0, 0, 0, 0}));
    EXPECT_EQ(Text("lblMUTL"), "2");
    EXPECT_EQ(Ctl("cboCSpace").items,
              (std::vector<std::string>{"12.5 K", "10 K", "6.25 K", "5 K"}));
    EXPECT_EQ(Text("lblPLLR"), "00020011");
    user.EnterValue("edtFreq", "4500000");
    Pick("cboRangeFreq", "135-174 MHz");
    EXPECT_EQ(Text("edtFreq"), "1590000");
    EXPECT_EQ(Ctl("cboCSpace").items, (std::vector<std::string>{"12.5 K", "10 K", "Auto"}));
    Pick("cboRangeFreq", "400-499 MHz");
    EXPECT_EQ(Text("edtFreq"), "4500000");
    EXPECT_TRUE(Shown().empty());
}

TEST_F(ModelTest, FrequencyMessagesKinds) {
    user.EnterValue("edtFreq", "1000000");
    model.TextEdited("edtFreq", "1590010");
    user.Focus("edtNull");
    const std::vector<Message> shown = user.TakeMessages();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0], (Message{MessageKind::Plain, kLowBandError}));
    EXPECT_EQ(shown[1], (Message{MessageKind::Exclamation, "Channel Spacing Error!"}));
}

TEST_F(ModelTest, LeavingTheFrequencyEmptyChangesNothing) {
    const PagerImage before = model.Image();
    user.Focus("edtFreq");
    EXPECT_EQ(Text("edtFreq"), "");
    user.Focus("edtNull");
    EXPECT_EQ(Text("edtFreq"), "1590000");
    EXPECT_EQ(model.Image(), before);
}

TEST_F(ModelTest, EnterInTheFrequencyStoresItAndMovesToTheSink) {
    user.Focus("edtFreq");
    user.TypeText("1600000\r");
    EXPECT_EQ(user.Focused(), "edtNull");
    EXPECT_EQ(Byte(4), 6);
    EXPECT_TRUE(Shown().empty());
}

TEST_F(ModelTest, TheFrequencyFieldHoldsSevenCharacters) {
    user.Focus("edtFreq");
    EXPECT_EQ(user.TypeText("15900001"), 1);
    EXPECT_EQ(Text("edtFreq"), "1590000");
}

struct LoadCase {
    std::uint8_t band;  // byte 3
    std::uint8_t cspace;
    const char* shown;  // cboCSpace
    int cspaceAfter;
};

TEST_F(ModelTest, ChannelSpacingCodesFromAnImage) {
    for (const LoadCase& c :
         {LoadCase{1, 1, "10 K", 1}, LoadCase{1, 3, "12.5 K", 0}, LoadCase{1, 2, "Auto", 32},
          LoadCase{1, 33, "Auto", 32}, LoadCase{4, 2, "6.25 K", 2}, LoadCase{4, 33, "12.5 K", 0},
          // No item can show these: no selection, the byte kept.
          LoadCase{1, 7, "", 7}, LoadCase{1, 40, "", 40}, LoadCase{4, 9, "", 9}}) {
        PagerImage image = DefaultImage();
        image[3] = c.band;
        if (c.band == 4) std::copy_n("\x06\x02\x00\x00\x00\x00", 6, image.begin() + 4);
        image[10] = c.cspace;
        Load(image);
        EXPECT_EQ(Item("cboCSpace"), c.shown) << int(c.band) << "/" << int(c.cspace);
        EXPECT_EQ(Byte(10), c.cspaceAfter) << int(c.band) << "/" << int(c.cspace);
        EXPECT_TRUE(Ctl("cboCSpace").enabled);
        Shown();
    }
    // A pick makes the list whole again.
    Pick("cboCSpace", "12.5 K");
    EXPECT_EQ(Byte(10), 0);
}

TEST_F(ModelTest, AFrequencyTypedWithNoSpacingSelectedIsRefusedNotDropped) {
    for (std::uint8_t cspace : {std::uint8_t{7}, std::uint8_t{200}}) {
        Load(DefaultWith({{10, cspace}}));
        EXPECT_TRUE(Shown().empty()) << "the refresh itself stays silent";
        ASSERT_EQ(Item("cboCSpace"), "");
        const PagerImage before = model.Image();
        user.EnterValue("edtFreq", "1600000");
        EXPECT_EQ(Shown(), std::vector<std::string>{"Channel Spacing Error!"});
        EXPECT_EQ(model.Image(), before);
        EXPECT_EQ(Text("edtFreq"), "1590000") << "the field shows what is stored";
        EXPECT_EQ(user.Focused(), "edtNull") << "the focus is free to reach the spacing list";
        Pick("cboCSpace", "12.5 K");
        user.EnterValue("edtFreq", "1600000");
        EXPECT_TRUE(Shown().empty());
        EXPECT_EQ(Byte(4), 6);
        EXPECT_EQ(Byte(10), 0);
    }
}

TEST_F(ModelTest, AnImageOutsideItsBandKeepsItsFrequencyAndSaysSo) {
    PagerImage image = DefaultImage();
    image[4] = 9;  // 1990000
    Load(image);
    const std::vector<std::string> shown = Shown();
    ASSERT_FALSE(shown.empty());
    for (const std::string& text : shown) EXPECT_EQ(text, kLowBandError);
    EXPECT_EQ(Byte(4), 9);
    EXPECT_EQ(Text("edtFreq"), "1990000");
}

}  // namespace
}  // namespace mk843nb
