#pragma once

// How every front end sums up a checked tone plan: the window's view, the
// command line's check and chart, and the chart's title.

#include <cstddef>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "tones/plan_check.h"

namespace mk843nb::tones {

// "1 pager", "3 pagers".
std::string Plural(std::size_t count, std::string_view one, std::string_view many);

// "3 pagers: 2 problems", "1 pager, no problems"; mark follows a count of
// problems (" in red").
std::string PlanSummary(std::size_t pagers, const CheckResult& check, std::string_view between,
                        std::string_view mark = "");

// Each problem ("Title: detail"), then each address shared on purpose and who holds it.
std::vector<std::string> ProblemTexts(const TonePlan& plan, const CheckResult& check);

// The addresses (pager, address index) some problem involves: shown in red.
std::set<std::pair<std::size_t, std::size_t>> AddressesInProblems(const CheckResult& check);

}  // namespace mk843nb::tones
