#include "image/tones.h"

#include <gtest/gtest.h>

#include <set>

namespace mk843nb {
namespace {

TEST(StandardToneTable, ShapeAndNames) {
    const auto& table = StandardToneTable();
    EXPECT_EQ(table[0].name, "Mot 1");
    EXPECT_EQ(table[9].name, "Mot 10");
    EXPECT_EQ(table[11].name, "GE A' ");
    EXPECT_EQ(table[13].name, "GE C' ");
    std::set<int> distinct;
    int lowest = 1 << 30, highest = 0;
    for (const auto& group : table)
        for (auto tone : group.tones) {
            distinct.insert(tone);
            lowest = std::min<int>(lowest, tone);
            highest = std::max<int>(highest, tone);
        }
    EXPECT_EQ(distinct.size(), 138u);  // 767.4 and 832.5 appear twice
    EXPECT_EQ(lowest, kStandardToneLowest);
    EXPECT_EQ(highest, kStandardToneHighest);
    EXPECT_EQ(table[2].tones[0], 10924);
}

TEST(NearestStandardTone, SnapsAndBreaksTiesUpward) {
    const std::pair<int, int> cases[] = {{3310, 3305},   {10000, 10069}, {6000, 6009},
                                         {2925, 2965},   {2885, 2885},   {24682, 24682},
                                         {24345, 24010}, {24346, 24682}};
    for (const auto& [q, tone] : cases) EXPECT_EQ(NearestStandardTone(q), tone) << q;
    EXPECT_EQ(NearestStandardTone(35000), std::nullopt);
    EXPECT_EQ(NearestStandardTone(0), std::nullopt);
}

TEST(NearestStandardTone, EveryStandardRangeToneFindsOne) {
    for (int q = kStandardToneLowest; q <= kStandardToneHighest; ++q)
        ASSERT_TRUE(NearestStandardTone(q)) << q;
}

ToneSpacingContext OtherCallAt(std::int32_t code, bool on) {
    ToneSpacingContext context;
    context.editedTone = 1;            // editing TONE1 of call 1
    context.lastToneCodes[1] = code;   // TONE1 of call 2
    context.lastToneCodes[5] = 20000;  // TONE2 of call 2, far away
    context.callOn = {true, on, false, false};
    context.lastToneCodes[4] = 30000;  // the partner of the edited tone
    return context;
}

TEST(ToneSpacingOk, BoundsAreAllowed) {
    const auto context = OtherCallAt(10000, true);
    const std::pair<int, bool> cases[] = {{9850, true},  {9851, false}, {10149, false},
                                          {10150, true}, {10000, true}, {9000, true}};
    for (const auto& [q, ok] : cases) EXPECT_EQ(ToneSpacingOk(q, context), ok) << q;
}

TEST(ToneSpacingOk, BoundsAreAllowedAtEverySpacing) {
    struct Case {
        std::uint8_t toneSpacing;
        std::int32_t other;      // the switched-on tone of call 2
        std::int32_t low, high;  // exactly other -/+ other x ToneSpacing / 1000
    };
    // Bounds whose single-precision value would fall outside them in wider arithmetic.
    const Case cases[] = {{1, 3000, 2997, 3003},
                          {15, 3200, 3152, 3248},
                          {15, 3600, 3546, 3654},
                          {31, 4000, 3876, 4124},
                          {15, 10000, 9850, 10150}};
    for (const Case& c : cases) {
        auto context = OtherCallAt(c.other, true);
        context.toneSpacing = c.toneSpacing;
        EXPECT_TRUE(ToneSpacingOk(c.low, context)) << c.other << " at " << int(c.toneSpacing);
        EXPECT_TRUE(ToneSpacingOk(c.high, context)) << c.other << " at " << int(c.toneSpacing);
        EXPECT_FALSE(ToneSpacingOk(c.low + 1, context)) << c.other << " at " << int(c.toneSpacing);
        EXPECT_FALSE(ToneSpacingOk(c.high - 1, context)) << c.other << " at " << int(c.toneSpacing);
    }
}

TEST(ToneSpacingOk, SwitchedOffCallsTakeNoPart) {
    const auto context = OtherCallAt(10000, false);
    for (int q : {9850, 9851, 10149, 10150, 10000}) EXPECT_TRUE(ToneSpacingOk(q, context)) << q;
}

TEST(ToneSpacingOk, PartnerTakesPartAndEditedToneIsSkipped) {
    ToneSpacingContext context;
    context.callOn = {true, false, false, false};
    context.lastToneCodes[0] = 10000;  // TONE1 of call 1
    context.lastToneCodes[4] = 9000;
    context.editedTone = 5;  // TONE2 of call 1
    EXPECT_FALSE(ToneSpacingOk(10100, context));
    context.editedTone = 1;  // editing TONE1 itself: its own old value does not count
    EXPECT_TRUE(ToneSpacingOk(10100, context));
}

TEST(ToneSpacingOk, GroupTonesAndWiderSpacing) {
    ToneSpacingContext context;
    context.editedTone = EditedToneOfMarkers(0, 0, 2);
    EXPECT_EQ(context.editedTone, 10);
    context.groupOn = {true, true};
    context.lastToneCodes[8] = 10000;
    context.toneSpacing = 31;
    EXPECT_FALSE(ToneSpacingOk(10300, context));
    EXPECT_TRUE(ToneSpacingOk(10310, context));
    EXPECT_TRUE(ToneSpacingOk(9690, context));
}

TEST(ToneSpacing, MarkersAndMessage) {
    EXPECT_EQ(EditedToneOfMarkers(3, 2, 1), 3);
    EXPECT_EQ(EditedToneOfMarkers(0, 2, 1), 6);
    EXPECT_EQ(EditedToneOfMarkers(0, 0, 0), 0);
    EXPECT_EQ(ToneSpacingMessageText(15),
              "Tone Frequency Error!\n\nPlease check the tone spacing rule. \n[1]Two tones in the "
              "same call address "
              "should not be the same.\n[2]Any two tones should be separated by minimum of 1.5%. "
              "\n\nThe original "
              "tone frequency is restored.");
    EXPECT_NE(ToneSpacingMessageText(31).find("minimum of 3.1%. "), std::string::npos);
    EXPECT_NE(ToneSpacingMessageText(1).find("minimum of 0.1%. "), std::string::npos);
}

}  // namespace
}  // namespace mk843nb
