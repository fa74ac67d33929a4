#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace mk843nb::fleet {

// The whole file's bytes; nullopt when it cannot be read.
std::optional<std::string> ReadWholeFile(const std::filesystem::path& path);

// Files replaced whole go through WriteFileAtomically (files/atomic_write.h).

// Adds text at the end of the file (created if missing, with the mode the
// umask leaves of 0666, as the atomic writer makes new files) and syncs it.
// False when it fails.
bool AppendToFile(const std::filesystem::path& path, std::string_view text);

}  // namespace mk843nb::fleet
