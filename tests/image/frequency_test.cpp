#include "image/frequency.h"

#include <gtest/gtest.h>

namespace mk843nb {
namespace {

TEST(Synthesizer, WorkedTable) {
    struct Case {
        std::int64_t f;
        std::int32_t spacing;
        int mutl;
        std::uint32_t r;
        const char* pllr;
        std::int64_t n;
        const char* plln;
    };
    const Case cases[] = {
        {1590000, 12500, 1, 256, "00010011", 11008, "00158000"},
        {1590000, 25000, 1, 128, "00008011", 5504, "000AC000"},
        {1590125, 12500, 1, 256, "00010011", 11009, "00158080"},
        {1590050, 5000, 1, 640, "00028011", 27521, "0035C080"},
        {1590025, 2500, 1, 1280, "00050011", 55041, "006B8080"},
        {1740000, 10000, 1, 320, "00014011", 15260, "001DCE00"},
        {4620000, 12500, 2, 512, "00020011", 35248, "0044D800"},
        {4620000, 6250, 2, 1024, "00040011", 70496, "0089B000"},
        {4620000, 5000, 2, 1280, "00050011", 88120, "00AC1C00"},
    };
    for (const auto& c : cases) {
        const auto words = ComputeSynthesizer(c.f, c.spacing, c.mutl);
        ASSERT_TRUE(words) << c.f;
        EXPECT_EQ(words->r, c.r) << c.f;
        EXPECT_EQ(Hex8(words->pllr), c.pllr) << c.f;
        EXPECT_EQ(words->n, c.n) << c.f;
        EXPECT_EQ(Hex8(words->plln), c.plln) << c.f;
    }
}

TEST(Synthesizer, OffRasterKeepsTheWords) {
    EXPECT_FALSE(ComputeSynthesizer(1590010, 12500, 1));
    EXPECT_FALSE(ComputeSynthesizer(1590000, 0, 1));
    PagerImage image = DefaultImage();
    StoreSynthesizer(image, *ComputeSynthesizer(1590000, 25000, 1));
    const std::uint8_t expected[] = {0x00, 0x00, 0x80, 0x11, 0x00, 0x0A, 0xC0, 0x00};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(image[120 + i], expected[i]) << i;
}

TEST(Synthesizer, OutOfBandFrequencyGivesDefinedWords) {
    const auto words = ComputeSynthesizer(0, 12500, 1);  // an all-zero image
    ASSERT_TRUE(words);
    EXPECT_LT(words->n, 0);
}

TEST(AutoSpacing, FirstDividingSpacingWins) {
    const std::pair<std::int64_t, int> cases[] = {{1590000, 32}, {1590125, 33}, {1590050, 36},
                                                  {1590025, 37}, {1590100, 34}, {1590625, 33}};
    // A frequency in 100 Hz units on 6.25 kHz is always on 12.5 kHz too, so Auto never stops
    // at 6.25 kHz.
    for (const auto& [f, code] : cases) {
        const auto found = FindAutoSpacing(f);
        ASSERT_TRUE(found) << f;
        EXPECT_EQ(found->cspace, code) << f;
        EXPECT_EQ(AutoSpacingOfCode(found->cspace), found->spacing);
    }
    EXPECT_FALSE(FindAutoSpacing(1590010));
    EXPECT_EQ(AutoCodeOfSpacing(12500), 33);
    EXPECT_FALSE(AutoSpacingOfCode(38));
    EXPECT_FALSE(AutoSpacingOfCode(31));
}

TEST(Band, LimitsAndMessage) {
    EXPECT_EQ(LimitsOf(Band::Low).low, 1350000);
    EXPECT_EQ(LimitsOf(Band::Low).high, 1740000);
    EXPECT_EQ(LimitsOf(Band::High).low, 4000000);
    EXPECT_EQ(LimitsOf(Band::High).high, 4990000);
    EXPECT_TRUE(InBand(1350000, Band::Low));
    EXPECT_TRUE(InBand(1740000, Band::Low));
    EXPECT_FALSE(InBand(1349999, Band::Low));
    EXPECT_FALSE(InBand(1740001, Band::Low));
    EXPECT_EQ(FrequencyRangeMessageText(Band::Low),
              "Frequency setting error(1350000 < = Frequency < =1740000 )");
    EXPECT_EQ(FrequencyRangeMessageText(Band::High),
              "Frequency setting error(4000000 < = Frequency < =4990000 )");

    PagerImage image = DefaultImage();
    EXPECT_EQ(BandOfImage(image), Band::Low);
    image[3] = 4;
    EXPECT_EQ(BandOfImage(image), Band::High);
    image[3] = 0;
    EXPECT_EQ(BandOfImage(image), Band::High);
    EXPECT_EQ(Mutl(Band::High), 2);
}

TEST(ChannelSpaceList, IndexForEachBand) {
    EXPECT_EQ(CSpaceIndexForBand(Band::Low, 32), 2);
    EXPECT_EQ(CSpaceIndexForBand(Band::Low, 2), 2);  // 6.25 kHz carried over shows Auto
    EXPECT_EQ(CSpaceIndexForBand(Band::Low, 3), 0);  // 5 kHz shows 12.5 K
    EXPECT_EQ(CSpaceIndexForBand(Band::Low, 1), 1);
    EXPECT_EQ(CSpaceIndexForBand(Band::Low, 4), -1);
    EXPECT_EQ(CSpaceIndexForBand(Band::High, 33), 0);
    EXPECT_EQ(CSpaceIndexForBand(Band::High, 3), 3);
    EXPECT_EQ(CSpaceIndexForBand(Band::High, 4), -1);
    EXPECT_EQ(CSpaceItemText(Band::Low, 2), "Auto");
    EXPECT_EQ(CSpaceItemText(Band::High, 2), "6.25 K");
    EXPECT_EQ(CSpaceItemText(Band::High, -1), "");
    EXPECT_EQ(FixedSpacingOfIndex(Band::High, 2), 6250);
    EXPECT_FALSE(FixedSpacingOfIndex(Band::Low, 2));
    EXPECT_EQ(FixedSpacingOfIndex(Band::High, 3), 5000);
}

TEST(FrequencyDigits, StoreAndRead) {
    PagerImage image = DefaultImage();
    EXPECT_EQ(FrequencyOfImage(image), 1590000);
    ASSERT_TRUE(StoreFrequencyDigits(image, "4620000"));
    const std::uint8_t expected[] = {4, 6, 2, 0, 0, 0, 0};
    for (int i = 0; i < 7; ++i) EXPECT_EQ(image[3 + i], expected[i]);
    EXPECT_EQ(FrequencyOfImage(image), 4620000);
    const PagerImage before = image;
    EXPECT_FALSE(StoreFrequencyDigits(image, "12345678"));
    EXPECT_FALSE(StoreFrequencyDigits(image, "12a4567"));
    EXPECT_FALSE(StoreFrequencyDigits(image, ""));
    EXPECT_EQ(image, before);
    image[3] = 255;  // whatever the bytes hold, the number is n x 10 + byte
    EXPECT_EQ(FrequencyOfImage(image), 255LL * 1000000 + 6 * 100000 + 2 * 10000);
}

}  // namespace
}  // namespace mk843nb
