#pragma once

// What the tones commands share: the plan read from the paths given, the
// --shared addresses parsed.

#include <string>
#include <vector>

#include "tone_sources/plan_sources.h"
#include "tones/tone_plan.h"

namespace mk843nb::cli {

// The plan of the paths, its notes said on standard error; a path that cannot
// be used ends the command.
tones::PlanSourcesRead ReadPlan(const std::vector<std::string>& paths);

// Each --shared TONE1/TONE2; one that is not an address ends the command as a usage error.
std::vector<tones::CallPair> SharedPairs(const std::vector<std::string>& texts);

}  // namespace mk843nb::cli
