#pragma once

#include <chrono>
#include <string>

namespace mk843nb::fleet {

// "2026-12-10T13:25:06Z"; compact: "20261210T132506Z" (for file names).
std::string UtcTimeText(std::chrono::system_clock::time_point when, bool compact = false);

}  // namespace mk843nb::fleet
