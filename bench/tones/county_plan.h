#pragma once

// The county both tone-plan benchmarks work on: 2,000 pagers in 200
// departments of 10, each pager with an address of its own, its department's
// station call (shared on purpose) and now and then a group tone, at mixed
// bandwidths. The same seed makes the same county every time.

#include <optional>
#include <string>
#include <vector>

#include "tones/plan_check.h"

namespace mk843nb::bench {

inline constexpr int kDepartments = 200;
inline constexpr int kPerDepartment = 10;

// Writes the county's table files into folder; the station calls, or nullopt
// (with a message on stderr) when a file cannot be written.
std::optional<std::vector<tones::CallPair>> WriteCountyPlan(const std::string& folder);

}  // namespace mk843nb::bench
