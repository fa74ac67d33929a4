#include "pager_memory.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "test_files.h"

namespace mk843nb::sim {
namespace {

TEST(FirmwareVersionText, ReadsMajorAndMinorAsWholeNumbers) {
    struct Case {
        const char* text;
        int major, minor;
    };
    for (const Case& c : {Case{"1.86", 1, 86}, Case{"1.5", 1, 5}, Case{"1.100", 1, 100},
                          Case{"0.0", 0, 0}, Case{"255.255", 255, 255}}) {
        SCOPED_TRACE(c.text);
        const FirmwareVersion version = ParseFirmwareVersion(c.text);
        EXPECT_EQ(version.major, c.major);
        EXPECT_EQ(version.minor, c.minor);
    }
    for (const char* text :
         {"", "1", "1.", ".5", "1.256", "256.0", "1.8.6", "a.b", "-1.5", "1.86 "}) {
        SCOPED_TRACE(text);
        EXPECT_THROW(ParseFirmwareVersion(text), std::invalid_argument);
    }
}

TEST(PagerMemory, DefaultImageReadsBackCleanly) {
    const PagerImage memory = MakePagerMemory({"", {1, 83}, std::nullopt});
    EXPECT_EQ(memory[1], 1);
    EXPECT_EQ(memory[2], 83);
    EXPECT_EQ(ImageChecksum(memory), StoredChecksum(memory));
    PagerImage expected = DefaultImage();
    expected[1] = 1;
    expected[2] = 83;
    StoreChecksum(expected);
    EXPECT_EQ(memory, expected);
}

TEST(PagerMemory, ModelTextKeepsTheChecksumAsRightOrWrongAsItWas) {
    PagerImage good = DefaultImage();
    StoreChecksum(good);
    SetModelText(good, "XY V1");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&good[240]), 6), std::string("XY V1\0", 6));
    EXPECT_EQ(good[253], 0);
    EXPECT_EQ(ImageChecksum(good), StoredChecksum(good));

    PagerImage bad = DefaultImage();
    SetWord(bad, kChecksumOffset, static_cast<std::uint16_t>(ImageChecksum(bad) + 1));
    SetModelText(bad, "");
    EXPECT_TRUE(
        std::all_of(bad.begin() + 240, bad.begin() + 254, [](std::uint8_t b) { return b == 0; }));
    EXPECT_NE(ImageChecksum(bad), StoredChecksum(bad));

    EXPECT_THROW(SetModelText(good, "FIFTEEN CHARS!!"), std::invalid_argument);
    SetModelText(good, "FOURTEEN CHARS");
    EXPECT_EQ(good[253], 'S');
}

TEST(PagerMemory, TableFilesRoundTripAndShortOnesAreRefused) {
    test::TempDir dir;
    PagerImage image;
    for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<std::uint8_t>(255 - i);

    SaveTableFile(dir.File("pager.tbl"), image);
    EXPECT_EQ(LoadTableFile(dir.File("pager.tbl")), image);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1)
        << "no temporary file left";

    // The emulator's setup takes a file's bytes as they are, version put in.
    const PagerImage memory =
        MakePagerMemory({dir.File("pager.tbl"), {1, 80}, std::string("MK842 V3.8.5")});
    EXPECT_EQ(memory[1], 1);
    EXPECT_EQ(memory[2], 80);
    EXPECT_EQ(memory[0], 255);
    EXPECT_EQ(memory[239], 16);
    EXPECT_EQ(memory[240], 'M');

    std::vector<std::uint8_t> shortFile(255, 0);
    test::WriteFileBytes(dir.File("short.tbl"), shortFile);
    EXPECT_THROW(LoadTableFile(dir.File("short.tbl")), std::runtime_error);
    EXPECT_THROW(LoadTableFile(dir.File("missing.tbl")), std::runtime_error);
    EXPECT_THROW(SaveTableFile(dir.File("no/such/folder.tbl"), image), std::runtime_error);
}

}  // namespace
}  // namespace mk843nb::sim
