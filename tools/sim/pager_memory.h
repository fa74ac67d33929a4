#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "image/pager_image.h"

namespace mk843nb::sim {

struct FirmwareVersion {
    std::uint8_t major = 1;
    std::uint8_t minor = 86;
};

// "1.86" -> {1, 86}; "1.5" -> {1, 5}; each part 0 to 255. Throws std::invalid_argument.
FirmwareVersion ParseFirmwareVersion(const std::string& text);

// The pager as the emulator starts it: the given image (or the built-in default
// image with its checksum made right, so that it reads back cleanly), the firmware
// version in bytes 1 and 2, and optionally another model text.
struct PagerSetup {
    std::string imagePath;  // empty: the default image
    FirmwareVersion version;
    std::optional<std::string> modelText;
};
PagerImage MakePagerMemory(const PagerSetup& setup);

// The first 256 bytes of a table file; throws std::runtime_error when the file
// cannot be read or holds fewer than 256 bytes.
PagerImage LoadTableFile(const std::string& path);

// Writes the 256 bytes as the program saves a table file (WriteTableFile), so a
// reader never sees half an image. Throws std::runtime_error.
void SaveTableFile(const std::string& path, const PagerImage& image);

// Puts text (at most 14 bytes, zero-padded; empty: no model text) in bytes 240
// to 253. A checksum that was right stays right; a wrong one stays wrong.
void SetModelText(PagerImage& image, std::string_view text);

}  // namespace mk843nb::sim
