#include "image/write_preparation.h"

#include <gtest/gtest.h>

namespace mk843nb {
namespace {

TEST(PrepareImageForWrite, GroupPrioritiesCopiedOnlyForFirmware186) {
    struct Case {
        std::uint8_t major, minor;
        std::uint8_t byte104, byte106;
    };
    const Case cases[] = {
        {1, 86, 0x85, 0x03}, {1, 85, 0x05, 0x03}, {1, 87, 0x05, 0x03}, {0, 0, 0x05, 0x03}};
    for (const auto& c : cases) {
        PagerImage image = DefaultImage();
        image[104] = 0x05;  // no priority, other bits kept
        image[106] = 0x83;  // priority set
        image[112] = 0x80;  // GPriority1
        image[114] = 0x00;  // GPriority2
        PrepareImageForWrite(image, c.major, c.minor);
        EXPECT_EQ(image[104], c.byte104) << int(c.minor);
        EXPECT_EQ(image[106], c.byte106) << int(c.minor);
    }
}

TEST(PrepareImageForWrite, StampsMarksAndChecksumsLast) {
    PagerImage image = DefaultImage();
    image[48] = 0xFF;
    image[63] = 0;
    std::fill(image.begin() + 240, image.begin() + 254, 'x');
    image[160] = 0x5A;  // a reserved byte travels unchanged
    PrepareImageForWrite(image, 1, 83);
    EXPECT_EQ(image[11], 1);
    EXPECT_EQ(image[63], 103);
    EXPECT_EQ(image[48], 0x0F);
    EXPECT_EQ(image[160], 0x5A);
    const std::string tag(image.begin() + 240, image.begin() + 252);
    EXPECT_EQ(tag, "MK842 V3.8.5");
    EXPECT_EQ(image[252], 0);
    EXPECT_EQ(image[253], 0);
    EXPECT_EQ(StoredChecksum(image), ImageChecksum(image));
}

TEST(PrepareImageForWrite, DefaultImageChecksum) {
    PagerImage image = DefaultImage();
    PrepareImageForWrite(image, 1, 83);
    // Only byte 63 (0x67 -> 103, unchanged) and bytes below 16 differ from the shipped image.
    EXPECT_EQ(image[254], 0x23);
    EXPECT_EQ(image[255], 0x8D);
}

TEST(Checksum, SmallExample) {
    PagerImage image{};
    image[16] = 0x12;
    image[17] = 0x34;
    StoreChecksum(image);
    EXPECT_EQ(image[254], 0x00);
    EXPECT_EQ(image[255], 0x46);
    image.fill(0xFF);
    EXPECT_EQ(ImageChecksum(image), (238 * 255) % 65536);
}

}  // namespace
}  // namespace mk843nb
