// Long lists of findings said briefly: a few of each kind, in the order the
// kinds first appear, and a count of the rest of that kind.

#include "fleet/problem_summary.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace mk843nb::fleet {
namespace {

FleetProblem Finding(int line, const std::string& message) {
    return {line, "P" + std::to_string(line), "T11", message};
}

TEST(SummarisedLines, ShowTheFirstOfEachKindAndCountTheRest) {
    struct Case {
        std::string name;
        std::vector<FleetProblem> problems;
        std::vector<std::string> lines;
    };
    const std::vector<Case> cases{
        {"none", {}, {}},
        {"as many as are shown: all, no count",
         {Finding(2, "same address: a"), Finding(3, "same address: b")},
         {"warning: line 2, 'P2', T11: same address: a",
          "warning: line 3, 'P3', T11: same address: b"}},
        {"kinds interleaved: grouped in the order each first appears, each counted apart",
         {Finding(2, "within bandwidth: 1"), Finding(3, "same address: 1"),
          Finding(4, "within bandwidth: 2"), Finding(5, "within bandwidth: 3"),
          Finding(6, "same address: 2"), Finding(7, "same address: 3"),
          Finding(8, "within bandwidth: 4"), Finding(9, "stacked page: 1")},
         {"warning: line 2, 'P2', T11: within bandwidth: 1",
          "warning: line 4, 'P4', T11: within bandwidth: 2", "warning: \u2026 and 2 more like this",
          "warning: line 3, 'P3', T11: same address: 1",
          "warning: line 6, 'P6', T11: same address: 2", "warning: \u2026 and 1 more like this",
          "warning: line 9, 'P9', T11: stacked page: 1"}},
        {"a message with no kind is its own kind",
         {Finding(2, "odd"), Finding(3, "odd"), Finding(4, "odd")},
         {"warning: line 2, 'P2', T11: odd", "warning: line 3, 'P3', T11: odd",
          "warning: \u2026 and 1 more like this"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SummarisedLines(c.problems, FindingKind, "warning: ", 2), c.lines) << c.name;
}

}  // namespace
}  // namespace mk843nb::fleet
