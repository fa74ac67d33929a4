#pragma once

// Raw table-file reading and writing: a table file is the 256 image bytes and nothing else.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <span>

#include "image/pager_image.h"

namespace mk843nb {

struct TableBytes {
    PagerImage bytes{};     // the bytes read, the rest zero
    std::size_t count = 0;  // how many came from the file (0 to 256)
};

// Reads up to the first 256 bytes of a file; bytes after them are never read.
// nullopt when the file cannot be opened or a read fails.
std::optional<TableBytes> ReadTableBytes(const std::filesystem::path& path);

// Replaces (or creates) the file with exactly the 256 bytes of the image. The
// bytes go to a temporary file beside the target, which is flushed and then
// renamed over it, so the target is never left half written. An existing
// target keeps its permissions; a symbolic link is followed to the file it
// names. False, with the target untouched, when any step fails (including a
// target that exists but may not be written).
bool WriteTableFile(const std::filesystem::path& path, const PagerImage& image);

// The same for any bytes (the backups' sidecars): beside, flushed, renamed.
bool WriteFileAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);

}  // namespace mk843nb
