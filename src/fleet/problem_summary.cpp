#include "fleet/problem_summary.h"

#include <unordered_map>

namespace mk843nb::fleet {

std::vector<std::string> SummarisedLines(
    const std::vector<FleetProblem>& problems,
    const std::function<std::string(const FleetProblem&)>& kindOf, const std::string& prefix,
    std::size_t shown) {
    struct Kind {
        std::vector<std::string> lines;
        std::size_t more = 0;
    };
    std::vector<Kind> kinds;
    std::unordered_map<std::string, std::size_t> slot;
    for (const FleetProblem& problem : problems) {
        const auto [found, added] = slot.emplace(kindOf(problem), kinds.size());
        if (added) kinds.emplace_back();
        Kind& kind = kinds[found->second];
        if (kind.lines.size() < shown)
            kind.lines.push_back(prefix + Describe(problem));
        else
            ++kind.more;
    }
    std::vector<std::string> lines;
    for (Kind& kind : kinds) {
        for (std::string& line : kind.lines) lines.push_back(std::move(line));
        if (kind.more > 0)
            lines.push_back(prefix + "\u2026 and " + std::to_string(kind.more) + " more like this");
    }
    return lines;
}

std::string FindingKind(const FleetProblem& problem) {
    const auto colon = problem.message.find(": ");
    return colon == std::string::npos ? problem.message : problem.message.substr(0, colon);
}

}  // namespace mk843nb::fleet
