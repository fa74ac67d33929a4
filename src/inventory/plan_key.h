#pragma once

#include <filesystem>
#include <string>

namespace mk843nb::inventory {

// The key a plan's rows, claims and records are kept under: its folder's
// canonical absolute path, so every run of one folder, however it was named
// on the command line, shares them.
std::string PlanKeyOf(const std::filesystem::path& folder);

}  // namespace mk843nb::inventory
