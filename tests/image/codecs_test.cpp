#include "image/codecs.h"

#include <gtest/gtest.h>

#include <cmath>

namespace mk843nb {
namespace {

TEST(VoltageCodec, EncodesTypedVoltsAsThePagerSoftwareDoes) {
    struct Case {
        const char* volts;
        int code;
    };
    // Typed volts go through single precision and the one-decimal rounding routine.
    const Case cases[] = {{"0", 0},     {"0.01", 0}, {"0.02", 1},  {"0.1", 9},   {"0.2", 17},
                          {"0.27", 23}, {"0.3", 26}, {"0.47", 40}, {"0.5", 43},  {"0.7", 60},
                          {"0.71", 60}, {"0.8", 68}, {"0.9", 77},  {"0.96", 81}, {"0.97", 82},
                          {"0.99", 84}, {"1", 85},   {"1.00", 85}};
    for (const auto& c : cases) {
        const auto volts = ParseNumber(c.volts);
        ASSERT_TRUE(volts) << c.volts;
        EXPECT_EQ(EncodeVoltage(*volts), c.code) << c.volts;
    }
}

TEST(VoltageCodec, FormatsCodesWithTwoDecimals) {
    const std::pair<int, const char*> cases[] = {{0, "0.00"},  {1, "0.01"},  {43, "0.51"},
                                                 {60, "0.71"}, {68, "0.80"}, {82, "0.96"},
                                                 {85, "1.00"}, {255, "3.00"}};
    for (const auto& [code, text] : cases)
        EXPECT_EQ(FormatVoltage(static_cast<std::uint8_t>(code)), text) << code;
}

TEST(RoundToDecimals, OneDecimalTextRoundsHalfUpOtherwiseRoundsFirst) {
    EXPECT_EQ(RoundToDecimals(42.5, 1), 43.0);
    EXPECT_EQ(RoundToDecimals(8.5, 1), 9.0);
    EXPECT_DOUBLE_EQ(RoundToDecimals(static_cast<double>(60.35f), 1), 60.3);
    EXPECT_DOUBLE_EQ(RoundToDecimals(static_cast<double>(22.95f), 1), 23.0);
    EXPECT_EQ(RoundToDecimals(85.0, 1), 85.0);
    // A single character without a point takes the half-up branch too.
    EXPECT_DOUBLE_EQ(RoundToDecimals(8.0, 1), 8.5);
}

TEST(HalfSecondCodec, RoundTrip) {
    EXPECT_EQ(EncodeHalfSeconds(0.5f), 1);
    EXPECT_EQ(EncodeHalfSeconds(3.0f), 6);
    EXPECT_EQ(EncodeHalfSeconds(127.5f), 255);
    EXPECT_EQ(EncodeHalfSeconds(128.0f), 0);  // low 8 bits of 256; the leave check refuses it first
    EXPECT_EQ(FormatHalfSeconds(0), "0.0");
    EXPECT_EQ(FormatHalfSeconds(1), "0.5");
    EXPECT_EQ(FormatHalfSeconds(6), "3.0");
    EXPECT_EQ(FormatHalfSeconds(255), "127.5");
}

TEST(ToneCodec, FormatsAndReadsTenthsOfAHertz) {
    EXPECT_EQ(FormatTone(6699), "669.9");
    EXPECT_EQ(FormatTone(11225), "1122.5");
    EXPECT_EQ(FormatTone(3305), "330.5");
    EXPECT_EQ(FormatTone(35000), "3500.0");
    EXPECT_EQ(FormatTone(0), "00.0");
    EXPECT_EQ(FormatTone(65535), "6553.5");

    const std::pair<const char*, std::int64_t> typed[] = {{"288.5", 2885}, {"2468.2", 24682},
                                                          {"3500", 35000}, {"669.94", 6699},
                                                          {"1000", 10000}, {"300", 3000}};
    for (const auto& [text, code] : typed) {
        const std::string shown = FormatToneValue(*ParseNumber(text));
        EXPECT_EQ(ToneCodeOfText(shown), code) << text << " shown as " << shown;
    }
    EXPECT_EQ(FormatToneValue(300), "300.0");
    EXPECT_EQ(FormatToneValue(5), "05.0");
    EXPECT_FALSE(ToneCodeOfText("."));
    EXPECT_FALSE(ToneCodeOfText("abc"));
}

TEST(ToneDecoderWord, WorkedValues) {
    const std::pair<int, int> cases[] = {{6699, 0x8B0B},  {7073, 0x8B95}, {4337, 0x871C},
                                         {11225, 0x9287}, {3305, 0x8558}, {6009, 0x89AF}};
    for (const auto& [tone, word] : cases)
        EXPECT_EQ(ToneDecoderWord(static_cast<std::uint16_t>(tone)), word) << tone;
}

TEST(ToneDecoderWord, EveryToneIsDefinedAndTheValidRangeFitsSevenBits) {
    for (int q = 0; q <= 65535; ++q) {
        const std::uint16_t word = ToneDecoderWord(static_cast<std::uint16_t>(q));
        if (q >= 2800 && q <= 35000) {
            const int n = (word - 0x8000) >> 7;
            const int m = word & 0x7F;
            EXPECT_GE(n, 9) << q;
            EXPECT_LE(n, 116) << q;
            EXPECT_LE(m, 106) << q;
        }
    }
}

TEST(FormatFixed, MatchesTheCLibrary) {
    for (double v : {0.25, 12.25, 0.125, 2.675, 669.95, 1.005, -3.25}) {
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, "%04.1f", v);
        EXPECT_EQ(FormatFixed(v, 4, 1), buffer) << v;
        std::snprintf(buffer, sizeof buffer, "%01.2f", v);
        EXPECT_EQ(FormatFixed(v, 1, 2), buffer) << v;
    }
}

TEST(ParseNumber, AcceptsNumbersOnly) {
    EXPECT_EQ(ParseNumber("0.5"), 0.5L);
    EXPECT_EQ(ParseNumber(" 3 "), 3.0L);
    EXPECT_EQ(ParseNumber("-1.5"), -1.5L);
    EXPECT_EQ(ParseNumber(".5"), 0.5L);
    for (const char* bad : {"", ".", "-", "1.2.3", "inf", "nan", "1x", "x1", "0x10"})
        EXPECT_FALSE(ParseNumber(bad)) << bad;
    EXPECT_EQ(ParseInteger("007"), 7);
    EXPECT_FALSE(ParseInteger("1.0"));
    EXPECT_FALSE(ParseInteger("99999999999999999999"));
}

TEST(Lists, ResetConMappingIsABijectionOnTheList) {
    const int indexToCode[] = {0, 1, 3, 4, 2, 5};
    for (int index = 0; index < 6; ++index) {
        EXPECT_EQ(ResetConCodeOfIndex(index), indexToCode[index]);
        EXPECT_EQ(ResetConIndexOfCode(indexToCode[index]), index);
    }
    EXPECT_EQ(kResetConItems[static_cast<std::size_t>(ResetConIndexOfCode(2))], "Revert SQ");
    EXPECT_EQ(kResetConItems[static_cast<std::size_t>(ResetConIndexOfCode(4))], "Time-Out RESET");
    EXPECT_EQ(ResetConIndexOfCode(6), 6);  // outside the list: no selection
}

TEST(Lists, ReminderRanges) {
    const std::pair<int, int> cases[] = {{0, 0},   {1, 1},   {60, 1},  {89, 1},  {90, 2},
                                         {100, 2}, {179, 2}, {180, 3}, {240, 3}, {255, 3}};
    for (const auto& [code, index] : cases)
        EXPECT_EQ(ReminderIndexOfCode(static_cast<std::uint8_t>(code)), index) << code;
    EXPECT_EQ(ReminderCodeOfIndex(ReminderIndexOfCode(100)), 120);
    EXPECT_EQ(kReminderItems[2], "60  Second");
}

TEST(Lists, BatteryLowAndOthers) {
    EXPECT_EQ(BatteryLowIndexOfCode(94), 0);
    EXPECT_EQ(BatteryLowIndexOfCode(102), 4);
    EXPECT_FALSE(BatteryLowIndexOfCode(103));
    EXPECT_FALSE(BatteryLowIndexOfCode(95));
    EXPECT_EQ(ToneSpacingOfBandWidthIndex(0), 1);
    EXPECT_EQ(ToneSpacingOfBandWidthIndex(10), 21);
    EXPECT_EQ(ToneSpacingOfBandWidthIndex(15), 31);
    EXPECT_EQ(kBandWidthItems[7], "1.5");
    EXPECT_EQ(AlertTypeIndexOfByte(0xC5), 0x45);
    EXPECT_EQ(IndexOfItem(kRecordMaxItems, "2 sections (60 second)"), 1);
    EXPECT_FALSE(IndexOfItem(kRecordMaxItems, "2 sections"));
}

TEST(Version, TextAndTwoDecimalNumber) {
    EXPECT_EQ(VersionText(0, 0), "0.0");
    EXPECT_EQ(VersionText(1, 89), "1.89");
    EXPECT_EQ(VersionText(1, 5), "1.5");
    EXPECT_EQ(FirmwareVersionHundredths(1, 83), 183);
    EXPECT_EQ(FirmwareVersionHundredths(1, 5), 150);
    EXPECT_EQ(FirmwareVersionHundredths(1, 100), 110);
    EXPECT_EQ(FirmwareVersionHundredths(1, 123), 112);
    EXPECT_EQ(FirmwareVersionHundredths(1, 86), 186);
    EXPECT_EQ(FirmwareVersionHundredths(1, 9), 190);
}

}  // namespace
}  // namespace mk843nb
