#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace mk843nb::fleet {

// The whole file's bytes; nullopt when it cannot be read.
std::optional<std::string> ReadWholeFile(const std::filesystem::path& path);

// Replaces (or creates) the file with text through a synced temporary file
// renamed over it, so a reader never sees half of it. False, the file
// untouched, when a step fails.
bool WriteFileAtomically(const std::filesystem::path& path, std::string_view text);

// Adds text at the end of the file (created if missing) and syncs it. False when it fails.
bool AppendToFile(const std::filesystem::path& path, std::string_view text);

}  // namespace mk843nb::fleet
