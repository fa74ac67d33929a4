#include "pager_memory.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <stdexcept>

#include "files/table_io.h"

namespace mk843nb::sim {
namespace {

std::uint8_t VersionPart(std::string_view part, const std::string& text) {
    unsigned value = 0;
    const auto [end, error] = std::from_chars(part.data(), part.data() + part.size(), value);
    if (part.empty() || error != std::errc{} || end != part.data() + part.size() || value > 255)
        throw std::invalid_argument("bad firmware version '" + text +
                                    "': expected MAJOR.MINOR, each 0 to 255 (e.g. 1.86)");
    return static_cast<std::uint8_t>(value);
}

std::string SystemError() { return std::strerror(errno); }

}  // namespace

FirmwareVersion ParseFirmwareVersion(const std::string& text) {
    const auto dot = text.find('.');
    if (dot == std::string::npos)
        throw std::invalid_argument("bad firmware version '" + text +
                                    "': expected MAJOR.MINOR, each 0 to 255 (e.g. 1.86)");
    const std::string_view all(text);
    return {VersionPart(all.substr(0, dot), text), VersionPart(all.substr(dot + 1), text)};
}

PagerImage MakePagerMemory(const PagerSetup& setup) {
    PagerImage memory;
    if (setup.imagePath.empty()) {
        memory = DefaultImage();
        StoreChecksum(memory);
    } else {
        memory = LoadTableFile(setup.imagePath);
    }
    memory[1] = setup.version.major;
    memory[2] = setup.version.minor;
    if (setup.modelText) SetModelText(memory, *setup.modelText);
    return memory;
}

PagerImage LoadTableFile(const std::string& path) {
    const auto table = ReadTableBytes(path);
    if (!table) throw std::runtime_error("cannot read image file " + path + ": " + SystemError());
    if (table->count < kImageSize)
        throw std::runtime_error("image file " + path + " holds " + std::to_string(table->count) +
                                 " bytes; a table file holds 256");
    return table->bytes;
}

void SaveTableFile(const std::string& path, const PagerImage& image) {
    errno = 0;
    if (!WriteTableFile(path, image))
        throw std::runtime_error("cannot save pager memory to " + path +
                                 (errno != 0 ? ": " + SystemError() : ""));
}

void SetModelText(PagerImage& image, std::string_view text) {
    if (text.size() > kModelTagSize)
        throw std::invalid_argument("model text '" + std::string(text) +
                                    "' is longer than 14 bytes");
    const bool checksumWasRight = ImageChecksum(image) == StoredChecksum(image);
    auto tag = image.begin() + kModelTagOffset;
    std::fill(tag, tag + kModelTagSize, 0);
    std::copy(text.begin(), text.end(), tag);
    if (checksumWasRight) StoreChecksum(image);
}

}  // namespace mk843nb::sim
