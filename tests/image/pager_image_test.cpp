#include <gtest/gtest.h>

#include "image/pager_image.h"

namespace mk843nb {
namespace {

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
