#pragma once

// Rosters for fleet tests: pagers that each get an address of their own.

#include <string>

namespace mk843nb::test {

// A header "label,T11,T21" and count rows "<prefix> 1" ... with distinct
// standard-tone pairs far enough apart for the tone spacing rule.
std::string DistinctRoster(int count, const std::string& prefix = "Pager");

}  // namespace mk843nb::test
