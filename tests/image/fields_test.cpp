#include "image/fields.h"

#include <gtest/gtest.h>

#include <set>

#include "image/codecs.h"

namespace mk843nb {
namespace {

TEST(FieldTable, NamesAreUniqueAndFieldsLieInsideTheImage) {
    std::set<std::string_view> names;
    for (const Field& field : FieldTable()) {
        EXPECT_TRUE(names.insert(field.name).second) << field.name;
        EXPECT_LE(field.offset + field.size, kImageSize) << field.name;
        if (field.firstBit >= 0) {
            EXPECT_LE(field.firstBit + field.bitWidth, 8) << field.name;
        }
    }
}

TEST(FieldTable, EveryFieldIsFoundByItsNameAndNothingElseIs) {
    for (const Field& field : FieldTable()) {
        EXPECT_EQ(FindField(field.name), &field) << field.name;
        EXPECT_EQ(&FieldNamed(field.name), &field) << field.name;
    }
    EXPECT_EQ(FindField("Nope"), nullptr);
    EXPECT_THROW(FieldNamed("Nope"), std::out_of_range);
    EXPECT_EQ(FieldOfControl("edtBS_Period")->name, "BS_Period");
    EXPECT_EQ(FieldOfControl("cboPTL")->name, "PTL");
    EXPECT_EQ(FieldOfControl(""), nullptr);
}

TEST(FieldTable, OffsetsOfTheSlots) {
    const std::pair<const char*, int> offsets[] = {
        {"W11", 16},          {"W21", 18},        {"W14", 28},   {"W24", 30},   {"W18", 44},
        {"W28", 46},          {"W31", 87},        {"W34", 93},   {"T11", 192},  {"T21", 194},
        {"T14", 204},         {"T24", 206},       {"T31", 224},  {"T32", 226},  {"AlertTime1", 97},
        {"GAlertTime2", 115}, {"Priority6", 106}, {"PLLR", 120}, {"PLLN", 124}, {"NRSSIRpTM", 139},
        {"MiniRecTime", 141}, {"Checksum", 254}};
    for (const auto& [name, offset] : offsets) EXPECT_EQ(FieldNamed(name).offset, offset) << name;
}

TEST(FieldTable, DefaultImageDecodesToItsDocumentedValues) {
    const PagerImage& image = DefaultImage();
    const std::pair<const char*, const char*> shown[] = {{"Version", "0.0"},
                                                         {"Freq", "1590000"},
                                                         {"RangeFreq", "135-174 MHz"},
                                                         {"MUTL", "1"},
                                                         {"CSpace", "Auto"},
                                                         {"BandWidth", "1.5"},
                                                         {"Tone1Limit", "1"},
                                                         {"Tone1Len", "3"},
                                                         {"BS_Period", "15"},
                                                         {"BS_Duty", "1"},
                                                         {"RecordMax", "4 sections (30 second)"},
                                                         {"BatteryLow", ""},
                                                         {"RSSI", "0.71"},
                                                         {"AutoMonitor", "3.0"},
                                                         {"AudioLock", "6.0"},
                                                         {"ResetCon", "Auto Reset"},
                                                         {"Delay", "8.0"},
                                                         {"SYSSV", "1"},
                                                         {"SYSAudio", "1"},
                                                         {"SYSPTL", "0"},
                                                         {"Reminder", "120 Second"},
                                                         {"Tone3Len", "50"},
                                                         {"RFDelay", "35"},
                                                         {"RSSI2", "0.96"},
                                                         {"NoiseLimit", "1"},
                                                         {"GapMax", "5"},
                                                         {"SSI", "0.80"},
                                                         {"DecorderReset", "30.0"},
                                                         {"VolumeLevel", "1"},
                                                         {"FullTimeAutoMonitor", "0"},
                                                         {"DelayFullTime", "6.0"},
                                                         {"Squelch", "7"},
                                                         {"PLLR", "00010011"},
                                                         {"PLLN", "00158000"},
                                                         {"NRSSIRpTM", "10"},
                                                         {"MiniRecTime", "0"},
                                                         {"T11", "669.9"},
                                                         {"T21", "707.3"},
                                                         {"T24", "1122.5"},
                                                         {"T31", "330.5"},
                                                         {"T32", "600.9"},
                                                         {"Duty1", "1"},
                                                         {"Duty2", "0"},
                                                         {"W21", "4B95"},
                                                         {"ModelTag", "MK842 V3.8.5"}};
    for (const auto& [name, text] : shown)
        EXPECT_EQ(FieldText(image, FieldNamed(name)), text) << name;
}

TEST(FieldTable, DefaultWordsCarryTheDecoderWordOfTheirTone) {
    const PagerImage& image = DefaultImage();
    for (int slot = 1; slot <= 8; ++slot) {
        for (const char family : {'1', '2'}) {
            const std::string suffix = std::string(1, family) + std::to_string(slot);
            const auto tone =
                static_cast<std::uint16_t>(GetFieldCode(image, FieldNamed("T" + suffix)));
            const auto word = GetFieldCode(image, FieldNamed("W" + suffix));
            EXPECT_EQ(word & 0x3FFF, ToneDecoderWord(tone) & 0x3FFFu) << suffix;
        }
    }
    for (int group = 1; group <= 4; ++group) {
        const std::string suffix = "3" + std::to_string(group);
        const auto tone = static_cast<std::uint16_t>(GetFieldCode(image, FieldNamed("T" + suffix)));
        EXPECT_EQ(GetFieldCode(image, FieldNamed("W" + suffix)), ToneDecoderWord(tone)) << suffix;
    }
}

TEST(FieldCodes, WriteOnlyTheirOwnBits) {
    PagerImage image{};
    image[96] = 0xC0;  // priority and the reserved bit 6
    SetFieldCode(image, FieldNamed("AlertType1"), 8);
    EXPECT_EQ(image[96], 0xC8);
    EXPECT_EQ(GetFieldCode(image, FieldNamed("AlertType1")), 0x48u);  // read as the byte AND 0x7F
    SetFieldCode(image, FieldNamed("Priority1"), 0);
    EXPECT_EQ(image[96], 0x48);
    image[81] = 0xE3;
    SetFieldCode(image, FieldNamed("VolumeLevel"), 1);
    EXPECT_EQ(image[81], 0xEB);
    SetFieldCode(image, FieldNamed("Tone1Len"), 300);
    EXPECT_EQ(image[52], 0x01);
    EXPECT_EQ(image[53], 0x2C);
    SetFieldCode(image, FieldNamed("Freq"), 4620000);
    EXPECT_EQ(image[3], 4);
    EXPECT_EQ(image[9], 0);
    EXPECT_EQ(FieldText(image, FieldNamed("RangeFreq")), "400-499 MHz");
    EXPECT_EQ(FieldText(image, FieldNamed("MUTL")), "2");
    const PagerImage before = image;
    SetFieldCode(image, FieldNamed("MUTL"), 1);
    SetFieldCode(image, FieldNamed("ModelTag"), 1);
    EXPECT_EQ(image, before);
}

TEST(FieldText, CodesOutsideTheirLists) {
    PagerImage image = DefaultImage();
    const std::pair<const char*, int> outside[] = {{"RecordMax", 3},  {"BandWidth", 16},
                                                   {"ResetCon", 6},   {"CSpace", 4},
                                                   {"AlertType1", 9}, {"BatteryLow", 103}};
    for (const auto& [name, code] : outside) {
        PagerImage copy = image;
        SetFieldCode(copy, FieldNamed(name), static_cast<std::uint32_t>(code));
        EXPECT_EQ(FieldText(copy, FieldNamed(name)), "") << name;
    }
    SetFieldCode(image, FieldNamed("Reminder"), 100);
    EXPECT_EQ(FieldText(image, FieldNamed("Reminder")), "60  Second");
    SetFieldCode(image, FieldNamed("RSSI"), 255);
    EXPECT_EQ(FieldText(image, FieldNamed("RSSI")), "3.00");
}

}  // namespace
}  // namespace mk843nb
