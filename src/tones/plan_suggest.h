#pragma once

// Free addresses for new pagers: pairs of standard tones that pass every
// check of CheckPlan against the plan and against each other.

#include <optional>
#include <vector>

#include "tones/tone_plan.h"

namespace mk843nb::tones {

struct SuggestOptions {
    int count = 1;
    // The new pagers' decoder bandwidth in tenths of a percent; 0 takes the
    // widest of the plan (1.5 % for a plan without pagers), so a suggestion
    // stays clear of every pager of the service.
    int bandwidth = 0;
    // Their gap limit (x 100 ms); only said, the checks do not depend on it.
    int gapMax = 5;
};

struct Suggestion {
    CallPair pair;
    // How far its nearer tone is from the nearest tone in use (the plan's and
    // the earlier suggestions'), in percent; 0 when the tone itself is in use.
    double clearance = 0.0;
};

struct Suggestions {
    std::vector<Suggestion> pairs;  // fewer than asked when the standard table runs out
    int bandwidth = 0;              // the one they were checked with
};

// Whether a new pager holding only `pair` as call 1, with `bandwidth`, adds
// no problem to the plan (what every suggestion passes).
bool IsFreePair(const TonePlan& plan, const CallPair& pair, int bandwidth);

// The pairs whose tones are farthest from every tone in use come first; each
// pair is added to the plan as a pager of its own before the next is chosen.
Suggestions SuggestPairs(const TonePlan& plan, const SuggestOptions& options);

}  // namespace mk843nb::tones
