#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace mk843nb::fleet {

// A roster, a plan.json or a run's report: far more than 100,000 pagers need.
inline constexpr std::size_t kFleetTextLimit = std::size_t{64} << 20;
// A template read whole, to be hashed: a table file is 256 bytes, and a file
// this long is no table file.
inline constexpr std::size_t kTemplateFileLimit = std::size_t{1} << 20;

// The whole file's bytes; nullopt with why set when it cannot be read, is no
// regular file (a named pipe or a device would never end) or is over the limit.
std::optional<std::string> ReadWholeFile(const std::filesystem::path& path, std::size_t limit,
                                         std::string& why);

// Files replaced whole go through WriteFileAtomically (files/atomic_write.h).

// Adds text at the end of the file (created if missing, with the mode the
// umask leaves of 0666, as the atomic writer makes new files) and syncs it.
// False when it fails.
bool AppendToFile(const std::filesystem::path& path, std::string_view text);

}  // namespace mk843nb::fleet
