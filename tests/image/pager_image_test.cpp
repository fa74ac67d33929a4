#include "image/pager_image.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace mk843nb {
namespace {

TEST(PagerImage, DefaultImageByteForByte) {
    // Rows of 16 bytes that are not all zero; every other byte is zero except the model tag.
    const std::pair<int, const char*> rows[] = {
        {0, "00 00 00 01 05 09 00 00 00 00 20 00 00 00 00 00"},
        {16, "8B 0B 4B 95 87 1C 4D 07 8D 97 48 38 88 B2 52 87"},
        {32, "93 08 53 89 94 0B 46 AF 8C 20 55 94 95 10 4E 86"},
        {48, "01 07 00 01 00 03 00 01 00 03 0F 01 00 00 02 67"},
        {64, "3C 06 0C 00 10 05 F0 00 00 00 32 23 52 01 05 44"},
        {80, "3C 08 0C 07 00 00 00 85 58 89 AF 93 89 97 8C 00"},
        {112, "00 00 00 00 00 00 00 00 00 01 00 11 00 15 80 00"},
        {128, "00 00 00 00 00 00 00 00 00 00 00 0A 00 00 00 00"},
        {192, "1A 2B 1B A1 10 F1 1E CD 20 85 13 F1 15 0E 2B D9"},
        {208, "2D 0E 2E 4C 2F 92 10 0C 1D 2C 33 9C 32 3A 22 56"},
        {224, "0C E9 17 79 2E 4C 37 FE 00 00 00 00 00 00 00 00"},
        {240, "4D 4B 38 34 32 20 56 33 2E 38 2E 35 00 00 00 00"},
    };
    PagerImage expected{};
    for (const auto& [offset, hex] : rows)
        for (int i = 0; i < 16; ++i)
            expected[static_cast<std::size_t>(offset + i)] =
                static_cast<std::uint8_t>(std::stoi(std::string(hex + 3 * i, 2), nullptr, 16));
    const PagerImage& image = DefaultImage();
    for (std::size_t i = 0; i < kImageSize; ++i) EXPECT_EQ(image[i], expected[i]) << "byte " << i;
}

TEST(PagerImage, DefaultImageChecksumIs9101) {
    PagerImage image = DefaultImage();
    EXPECT_EQ(ImageChecksum(image), 9101);
    unsigned sum = 0;
    for (int i = 16; i < 240; ++i) sum += image[i];
    EXPECT_EQ(sum, 8421u);
    StoreChecksum(image);
    EXPECT_EQ(image[254], 0x23);
    EXPECT_EQ(image[255], 0x8D);
}

TEST(PagerImage, ChecksumIgnoresHeaderAndChecksumBytes) {
    PagerImage image = DefaultImage();
    const auto before = ImageChecksum(image);
    for (int i = 0; i < 16; ++i) image[i] = 0xFF;
    image[254] = image[255] = 0xAA;
    EXPECT_EQ(ImageChecksum(image), before);
}

TEST(PagerImage, BitFields) {
    PagerImage image{};
    image[69] = 0x05;
    SetBits(image, 69, 6, 1, 1);
    EXPECT_EQ(image[69], 0x45);
    image[96] = 0x80;
    SetBits(image, 96, 0, 8, 6);
    EXPECT_EQ(image[96], 0x88);
    image[81] = 0x08;
    EXPECT_EQ(GetBits(image, 81, 3, 1), 1);
}

}  // namespace
}  // namespace mk843nb
