#pragma once

// Pieces of the lists the commands print for a person to read.

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

namespace mk843nb::cli {

// "2026-12-10 14:22:33" in the user's own time zone.
std::string LocalTimeText(std::chrono::system_clock::time_point time);

// The parts with between them: "a, b, c".
std::string Joined(const std::vector<std::string>& parts, std::string_view between);

}  // namespace mk843nb::cli
