// The standard tones by name, and tones read and said as people write them.

#include "tones/tone_names.h"

#include <gtest/gtest.h>

#include <set>

#include "image/fields.h"
#include "image/pager_image.h"
#include "tones/tone_plan.h"

namespace mk843nb::tones {
namespace {

TEST(ToneNamesTest, TheTableHas140TonesOf138Values) {
    EXPECT_EQ(StandardTones().size(), 140u);
    EXPECT_EQ(StandardValues().size(), 138u);
    EXPECT_EQ(StandardValues().front(), 2885);
    EXPECT_EQ(StandardValues().back(), 24682);
    const StandardTone& second = StandardTones()[11];
    EXPECT_EQ(second.group, "Mot 2");
    EXPECT_EQ(second.index, 1);
    EXPECT_EQ(second.tone, 6009);
}

TEST(ToneNamesTest, TonesAreNamedByGroupAndIndex) {
    const std::vector<std::pair<std::uint16_t, std::string>> cases{
        {6009, "600.9 (Mot 2, 1)"},     {3586, "358.6 (Mot 4, 2)"},
        {3589, "358.9 (Mot A, 0)"},     {7674, "767.4 (Mot 5, 6 or Mot B, 7)"},  // held twice
        {6825, "682.5 (GE A', 0)"},  // the column head's blank left out
        {6000, "600.0 (not standard)"},
    };
    for (const auto& [tone, name] : cases) EXPECT_EQ(ToneName(tone), name) << tone;
}

TEST(ToneNamesTest, HertzAreReadToTenths) {
    const std::vector<std::pair<std::string, std::optional<std::uint16_t>>> cases{
        {"600.9", 6009}, {"600", 6000},   {"1000.25", 10002}, {".5", 5},
        {"0", {}},       {"", {}},        {"6553.6", {}},     {"600,9", {}},
        {"-600", {}},    {"600.9.1", {}}, {"6553.5", 65535},
    };
    for (const auto& [text, tenths] : cases) EXPECT_EQ(ParseHertz(text), tenths) << text;
    EXPECT_EQ(ParsePair("600.9/634.5"), (CallPair{6009, 6345}));
    EXPECT_EQ(ParsePair("600.9"), std::nullopt);
    EXPECT_EQ(ParsePair("600.9/x"), std::nullopt);
}

TEST(ToneNamesTest, ASnapIsSaidWithTheStandardName) {
    EXPECT_EQ(SnapNotice("T11", 6000, 6009),
              "T11: 600.0 is not a standard tone; 600.9 (Mot 2, 1) stored");
    EXPECT_EQ(SnapRefusal("T31", 10000, 10069),
              "T31: 1000.0 is not a standard tone (the nearest is 1006.9 (Mot 3, 7)); with "
              "--exact nothing is snapped");
}

TEST(PagerOfImageTest, OnlySwitchedOnCallsCountWithTheImagesBandwidthAndGap) {
    PagerImage image{};
    const auto set = [&](std::string_view field, std::uint32_t code) {
        SetFieldCode(image, FieldNamed(field), code);
    };
    set("Duty1", 1), set("T11", 6009), set("T21", 6345);
    set("Duty2", 0), set("T12", 7073), set("T22", 7468);  // off: no address
    set("Duty4", 1), set("T14", 3586), set("T24", 3589);
    set("GDuty2", 1), set("T32", 15135);
    set("BandWidth", 10), set("GapMax", 7);
    const PagerRead read = PagerOfImage("Engine 1", image);
    ASSERT_TRUE(read.pager) << read.error;
    EXPECT_EQ(read.pager->bandwidth, 21);
    EXPECT_EQ(read.pager->gapMax, 7);
    EXPECT_EQ(read.pager->addresses, (std::vector<Address>{{AddressKind::Call, 1, 6009, 6345},
                                                           {AddressKind::Call, 4, 3586, 3589},
                                                           {AddressKind::Group, 2, 15135, 0}}));
    EXPECT_EQ(read.pager->addresses[2].Field(), "T32");

    set("BandWidth", 16);
    EXPECT_EQ(PagerOfImage("Engine 1", image).error, "BandWidth 16 is outside the list (0 to 15)");
}

}  // namespace
}  // namespace mk843nb::tones
