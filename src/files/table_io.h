#pragma once

// Raw table-file reading and writing: a table file is the 256 image bytes and nothing else.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <span>
#include <string>

#include "files/atomic_write.h"  // WriteFileAtomically, for any bytes (the backups' sidecars)
#include "files/file_system_calls.h"
#include "image/pager_image.h"

namespace mk843nb {

struct TableBytes {
    PagerImage bytes{};     // the bytes read, the rest zero
    std::size_t count = 0;  // how many came from the file (0 to 256)
};

// Reads up to the first 256 bytes of a file; bytes after them are never read.
// nullopt when the file cannot be opened or a read fails, and at once for
// anything but a regular file (a named pipe would wait for a writer for ever).
std::optional<TableBytes> ReadTableBytes(const std::filesystem::path& path);
// The same, saying why when it gives nullopt.
std::optional<TableBytes> ReadTableBytes(const std::filesystem::path& path, std::string& why);

// Replaces (or creates) the file with exactly the 256 bytes of the image, as
// WriteFileAtomically does: never half written, and lasting once it returns true.
bool WriteTableFile(const std::filesystem::path& path, const PagerImage& image,
                    FileSystemCalls& calls = SystemFileCalls());

}  // namespace mk843nb
