#include <algorithm>
#include <tuple>
#include <unordered_set>

#include "fleet/fleet_plan.h"
#include "tones/plan_check.h"

namespace mk843nb::fleet {

std::vector<FleetProblem> FleetWideFindings(const std::vector<PlannedPager>& pagers,
                                            const std::vector<tones::CallPair>& shared) {
    std::vector<FleetProblem> findings;
    tones::TonePlan plan;
    std::vector<std::size_t> rowOf;  // the planned pager of each pager of the tone plan
    for (std::size_t p = 0; p < pagers.size(); ++p) {
        tones::PagerRead read = tones::PagerOfImage(pagers[p].label, pagers[p].image);
        if (!read.pager) {
            findings.push_back({pagers[p].line, pagers[p].label, "BandWidth", read.error});
            continue;
        }
        plan.pagers.push_back(std::move(*read.pager));
        rowOf.push_back(p);
    }
    // Each problem is made a finding as it is found and its parts let go: a
    // large fleet's problems would not fit in memory all at once.
    struct Found {
        tones::ProblemRank rank;
        std::size_t order = 0;
        FleetProblem finding;
    };
    std::vector<Found> found;
    tones::CheckPlanEach(plan, shared, [&](tones::Problem&& problem, std::size_t order) {
        const tones::ProblemRank rank = tones::RankOf(problem);
        const std::string title = std::string(tones::KindTitle(problem.kind)) + ": ";
        // Said on a row at that row's first address in the problem.
        const auto on = [&](const tones::ProblemPart& part, std::string detail) {
            const PlannedPager& row = pagers[rowOf[part.pager]];
            found.push_back(
                {rank,
                 order,
                 {row.line, row.label, plan.pagers[part.pager].addresses[part.address].Field(),
                  title + std::move(detail)}});
        };
        if (problem.kind == tones::ProblemKind::SameAddress) {
            // Every holder is as much at fault as the others: each row says it,
            // in the order of SameAddressByHolder (the pagers as they first appear).
            std::vector<std::string> texts = tones::SameAddressByHolder(plan, problem);
            std::unordered_set<std::size_t> said;
            std::size_t next = 0;
            for (const tones::ProblemPart& part : problem.parts)
                if (said.insert(part.pager).second) on(part, std::move(texts[next++]));
            return;
        }
        // Said on the last row it involves.
        const tones::ProblemPart* last = &problem.parts.front();
        for (const tones::ProblemPart& part : problem.parts)
            if (part.pager > last->pager) last = &part;
        on(*last, std::move(problem.detail));
    });
    // In the order CheckPlan gives its problems.
    std::stable_sort(found.begin(), found.end(), [](const Found& a, const Found& b) {
        return std::tie(a.rank, a.order) < std::tie(b.rank, b.order);
    });
    findings.reserve(findings.size() + found.size());
    for (Found& each : found) findings.push_back(std::move(each.finding));
    return findings;
}

std::vector<tones::CallPair> AddressesEveryRowKeeps(const PagerImage& templateImage,
                                                    const std::vector<PlannedPager>& pagers) {
    std::vector<tones::CallPair> kept;
    const tones::PagerRead fromTemplate = tones::PagerOfImage("", templateImage);
    if (!fromTemplate.pager) return kept;
    for (const tones::Address& address : fromTemplate.pager->addresses) {
        if (address.kind != tones::AddressKind::Call) continue;
        const tones::CallPair pair{address.tone1, address.tone2};
        const bool everyRow =
            std::all_of(pagers.begin(), pagers.end(), [&](const PlannedPager& row) {
                const tones::PagerRead read = tones::PagerOfImage("", row.image);
                return read.pager &&
                       std::any_of(read.pager->addresses.begin(), read.pager->addresses.end(),
                                   [&](const tones::Address& held) {
                                       return held.kind == tones::AddressKind::Call &&
                                              held.tone1 == pair.tone1 && held.tone2 == pair.tone2;
                                   });
            });
        if (everyRow && std::find(kept.begin(), kept.end(), pair) == kept.end())
            kept.push_back(pair);
    }
    return kept;
}

}  // namespace mk843nb::fleet
