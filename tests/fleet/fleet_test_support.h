#pragma once

// Rosters for fleet tests: pagers that each get an address of their own.

#include <filesystem>
#include <string>

namespace mk843nb::test {

// A header "label,T11,T21" and count rows "<prefix> 1" ... with distinct
// standard-tone pairs far enough apart for the tone spacing rule.
std::string DistinctRoster(int count, const std::string& prefix = "Pager");

// The whole file as bytes in a string ("" when it cannot be read).
std::string Slurp(const std::filesystem::path& path);

}  // namespace mk843nb::test
