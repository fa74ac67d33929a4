#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace mk843nb {

inline constexpr std::size_t kImageSize = 256;

// The pager's whole settings memory: offset in the image = address in the pager.
// Every value wider than a byte is big-endian; nothing is signed.
using PagerImage = std::array<std::uint8_t, kImageSize>;

// "MK842 V3.8.5" followed by two zero bytes, at offsets 240 to 253.
inline constexpr std::size_t kModelTagOffset = 240;
inline constexpr std::size_t kModelTagSize = 14;
inline constexpr std::string_view kModelTagText = "MK842 V3.8.5";
// The model a tag must start with to be this pager's (a pager read, a default table).
inline constexpr std::string_view kModelName = kModelTagText.substr(0, 5);

inline constexpr std::size_t kChecksumFirst = 16;
inline constexpr std::size_t kChecksumLast = 253;
inline constexpr std::size_t kChecksumOffset = 254;

// The image the program starts with, model tag included and checksum 0.
const PagerImage& DefaultImage();

void StampModelTag(PagerImage& image);

std::uint16_t GetWord(const PagerImage& image, std::size_t offset);
void SetWord(PagerImage& image, std::size_t offset, std::uint16_t value);
std::uint32_t GetLong(const PagerImage& image, std::size_t offset);
void SetLong(PagerImage& image, std::size_t offset, std::uint32_t value);

// (image[offset] >> first) & (2^width - 1).
std::uint8_t GetBits(const PagerImage& image, std::size_t offset, int first, int width);
// Clears the field's bits and ORs in value << first; value is deliberately not
// masked to width, callers pass values that fit.
void SetBits(PagerImage& image, std::size_t offset, int first, int value, int width);

// The 16-bit sum of bytes 16 to 253, modulo 65536.
std::uint16_t ImageChecksum(const PagerImage& image);
// Stores ImageChecksum high byte first at 254-255.
void StoreChecksum(PagerImage& image);
// The checksum stored at 254-255.
std::uint16_t StoredChecksum(const PagerImage& image);

}  // namespace mk843nb
