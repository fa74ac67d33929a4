#include "editor/image_compare.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "editor/form_driver.h"
#include "editor/form_model.h"
#include "image/fields.h"
#include "image/write_preparation.h"

namespace mk843nb {
namespace {

// What a pager would hold: the start-up image with its checksum.
PagerImage Base() {
    PagerImage image = FormModel().Image();
    StoreChecksum(image);
    return image;
}

void Set(PagerImage& image, const char* field, std::uint32_t code) {
    SetFieldCode(image, FieldNamed(field), code);
}

struct Expected {
    std::string field, page, caption, a, b;
    bool derived;
};

void ExpectDifferences(const std::vector<FieldDifference>& got,
                       const std::vector<Expected>& expected, const std::string& label) {
    ASSERT_EQ(got.size(), expected.size()) << label;
    for (std::size_t i = 0; i < got.size(); ++i) {
        SCOPED_TRACE(label + ": " + DifferenceLine(got[i]));
        EXPECT_EQ(got[i].field, expected[i].field);
        EXPECT_EQ(got[i].page, expected[i].page);
        EXPECT_EQ(got[i].caption, expected[i].caption);
        EXPECT_EQ(got[i].a, expected[i].a);
        EXPECT_EQ(got[i].b, expected[i].b);
        EXPECT_EQ(got[i].derived, expected[i].derived);
    }
}

TEST(CompareImages, ListsEachDifferingFieldWithTheWindowsTexts) {
    struct Case {
        std::string label;
        std::function<void(PagerImage&)> change;
        std::vector<Expected> expected;
    };
    const std::vector<Case> cases = {
        {"equal", [](PagerImage&) {}, {}},
        {"a tone",
         [](PagerImage& b) { Set(b, "T11", 7000); },
         {{"T11", "CALL", "CALL #1 TONE1", "669.9", "700.0", false}}},
        {"a check box",
         [](PagerImage& b) { Set(b, "Duty2", 1); },
         {{"Duty2", "CALL", "CALL #2 ON", "0", "1", false}}},
        {"a list",
         [](PagerImage& b) { Set(b, "Reminder", 120); },
         {{"Reminder", "Setting", "Reminder", "120 Second", "60  Second", false}}},
        {"half seconds",
         [](PagerImage& b) { Set(b, "Delay", 9); },
         {{"Delay", "Setting", "Delay Time", "8.0", "4.5", false}}},
        // A decoder word is named after the tone it is computed from.
        {"a call's decoder word",
         [](PagerImage& b) { Set(b, "W11", 0x1234); },
         {{"W11", "CALL", "CALL #1 TONE1 decoder word (W11)", "8B0B", "1234", true}}},
        {"a group call's decoder word",
         [](PagerImage& b) { Set(b, "W32", 0x1234); },
         {{"W32", "CALL", "Group CALL #2 TONE decoder word (W32)",
           FieldText(Base(), FieldNamed("W32")), "1234", true}}},
        {"the decoder word of a slot the window does not edit",
         [](PagerImage& b) { Set(b, "W25", 0x1234); },
         {{"W25", "", "T25 decoder word (W25)", FieldText(Base(), FieldNamed("W25")), "1234",
           true}}},
        {"the checksum",
         [](PagerImage& b) { b[255] ^= 0x01; },
         {{"Checksum", "", "Checksum", "9345", "9344", true}}},
        {"a byte no field holds",
         [](PagerImage& b) { b[12] = 0x5A; },
         {{"Byte12", "", "Byte 12", "00", "5A", false}}},
        {"a call slot the window does not edit",
         [](PagerImage& b) { Set(b, "T15", 10000); },
         {{"T15", "", "T15", "1153.4", "1000.0", false}}},
        {"pages in the window's order, whatever the offsets",
         [](PagerImage& b) {
             Set(b, "BandWidth", 3);  // Advance Setting, offset 49
             Set(b, "SYSVib", 1);     // Setting, offset 69
             Set(b, "T32", 12000);    // CALL, offset 226
         },
         {{"T32", "CALL", "Group CALL #2 TONE", "600.9", "1200.0", false},
          {"SYSVib", "Setting", "Disable vibration mode", "0", "1", false},
          {"BandWidth", "Advance Setting", "Decoder Bandwidth", "1.5", "0.7", false}}},
    };
    const PagerImage a = Base();
    for (const Case& c : cases) {
        PagerImage b = a;
        c.change(b);
        ExpectDifferences(CompareImages(a, b), c.expected, c.label);
    }
}

TEST(CompareImages, AUserEditShowsTheFieldAndWhatItDerived) {
    FormModel model;
    FormDriver user(model);
    const PagerImage before = model.Image();
    // Another band: the channel spacing, MUTL and the synthesizer follow.
    user.Select("cboRangeFreq", 1);
    user.EnterValue("edtFreq", "4620000");
    const auto differences = CompareImages(before, model.Image());
    std::vector<std::string> fields;
    for (const FieldDifference& d : differences) fields.push_back(d.field + (d.derived ? "*" : ""));
    EXPECT_EQ(fields,
              (std::vector<std::string>{"RangeFreq", "Freq", "CSpace", "PLLR*", "PLLN*", "MUTL*"}));
}

TEST(CompareImages, OnlyTheComparedBytesCount) {
    const PagerImage a = Base();
    PagerImage b = a;
    Set(b, "Duty2", 1);   // offset 48
    Set(b, "T11", 7000);  // offset 192
    const auto firstBlock = CompareImages(a, b, 128);
    ASSERT_EQ(firstBlock.size(), 1u);
    EXPECT_EQ(firstBlock[0].field, "Duty2");
    EXPECT_EQ(CompareImages(a, b).size(), 2u);
}

// The verify details: the heads name the columns above the lines, and a verify whose compared
// bytes agree (it failed on the line) gets no details at all, not a head over nothing.
TEST(CompareImages, VerifyDetailsNameTheirColumns) {
    const PagerImage a = Base();
    PagerImage b = a;
    Set(b, "Duty2", 1);  // offset 48
    const DifferenceHeads heads{"This window", "Pager"};
    struct Case {
        std::string label;
        PagerImage readBack;
        std::size_t compared;
        std::optional<DifferenceHeads> heads;
        std::string expected;
    } cases[] = {
        {"no heads", b, kImageSize, std::nullopt, "CALL  CALL #2 ON: 0 | 1"},
        {"heads", b, kImageSize, heads,
         "Page  Field: This window | Pager\nCALL  CALL #2 ON: 0 | 1"},
        {"first block only", b, 128, heads,
         "Page  Field: This window | Pager\nCALL  CALL #2 ON: 0 | 1\n"
         "(bytes 128 to 255 were not read back)"},
        {"equal", a, kImageSize, heads, ""},
        {"nothing read", b, 0, heads, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(VerifyDifferencesText(a, c.readBack, c.compared, c.heads), c.expected) << c.label;
}

// Whatever a file holds, the pager written from it differs only in what
// Write keeps itself; an edit is never taken for bookkeeping.
TEST(CompareImages, WhatWriteKeepsItselfIsBookkeeping) {
    struct Case {
        const char* label;
        std::function<void(PagerImage&)> change;
        std::uint8_t major, minor;
    };
    const Case cases[] = {
        {"as started", [](PagerImage&) {}, 1, 86},
        {"never written, other slots on",
         [](PagerImage& image) {
             image[11] = 0;
             image[48] = 0xF3;
             image[63] = 94;
         },
         1, 80},
        {"priorities of slots 5 and 6",
         [](PagerImage& image) {
             image[104] = 0x81;
             image[106] = 0x80;
             image[112] = 0x80;
         },
         1, 86},
        {"another version and model text",
         [](PagerImage& image) {
             image[1] = 2;
             image[240] = 'X';
         },
         1, 85},
    };
    for (const Case& c : cases) {
        PagerImage file = Base();
        c.change(file);
        PagerImage pager = file;
        pager[1] = c.major;
        pager[2] = c.minor;
        PrepareImageForWrite(pager, c.major, c.minor);
        for (const FieldDifference& d : CompareImages(pager, file))
            EXPECT_TRUE(d.bookkeeping) << c.label << ": " << DifferenceLine(d);
        EXPECT_FALSE(CompareImages(pager, file).empty()) << c.label;
    }
    PagerImage edited = Base();
    Set(edited, "BS_Period", 3);
    Set(edited, "Duty2", 1);
    for (const FieldDifference& d : CompareImages(Base(), edited))
        EXPECT_EQ(d.bookkeeping, false) << DifferenceLine(d);
}

}  // namespace
}  // namespace mk843nb
