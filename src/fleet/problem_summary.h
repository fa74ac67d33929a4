#pragma once

// Long lists of findings said briefly: a roster of thousands of pagers can
// give tens of thousands of warnings of a few kinds, and a terminal full of
// them hides the one line that matters.

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "fleet/fleet_problem.h"

namespace mk843nb::fleet {

// How many of each kind are said in full.
inline constexpr std::size_t kShownOfEachKind = 5;

// The problems as lines, grouped by kind in the order each kind first
// appears: the first `shown` of a kind as Describe says them, then
// "… and N more like this" when there were more. Each line starts with prefix.
std::vector<std::string> SummarisedLines(
    const std::vector<FleetProblem>& problems,
    const std::function<std::string(const FleetProblem&)>& kindOf, const std::string& prefix,
    std::size_t shown = kShownOfEachKind);

// The kind of a fleet-wide finding: its message up to the first ": "
// ("within bandwidth"), the whole message when it has none.
std::string FindingKind(const FleetProblem& problem);

}  // namespace mk843nb::fleet
