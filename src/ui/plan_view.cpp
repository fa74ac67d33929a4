#include "ui/plan_view.h"

#include <algorithm>
#include <cstdio>
#include <set>

#include "tone_sources/plan_sources.h"
#include "tones/plan_summary.h"
#include "tones/tone_names.h"

namespace mk843nb::tones {
std::string PlanView::Open(const std::vector<std::filesystem::path>& paths) {
    PlanSourcesRead read = ReadTonePlan(paths);
    if (!read.error.empty()) return read.error;
    sources_ = paths;
    plan_ = std::move(read.plan);
    shared_ = std::move(read.shared);
    check_ = CheckPlan(plan_, shared_);
    return {};
}

std::vector<PlanViewRow> PlanView::Rows() const {
    const std::set<std::pair<std::size_t, std::size_t>> red = AddressesInProblems(check_);
    std::vector<PlanViewRow> rows;
    for (std::size_t p = 0; p < plan_.pagers.size(); ++p) {
        const PlanPager& pager = plan_.pagers[p];
        for (std::size_t a = 0; a < pager.addresses.size(); ++a) {
            const Address& address = pager.addresses[a];
            rows.push_back({p, a, pager.label, address.Name(),
                            address.kind == AddressKind::Group
                                ? ToneName(address.tone1)
                                : PairName({address.tone1, address.tone2}),
                            BandwidthText(pager.bandwidth), red.count({p, a}) != 0});
        }
    }
    return rows;
}

std::string PlanView::Summary() const { return PlanSummary(plan_.pagers.size(), check_, ": "); }

std::vector<std::string> PlanView::ProblemTexts() const {
    return tones::ProblemTexts(plan_, check_);
}

std::vector<std::string> PlanView::Suggest(int count) const {
    SuggestOptions options;
    options.count = count;
    std::vector<std::string> texts;
    for (const Suggestion& suggestion : SuggestPairs(plan_, options).pairs) {
        char clearance[32];
        std::snprintf(clearance, sizeof clearance, "%.2f%%", suggestion.clearance);
        texts.push_back(PairName(suggestion.pair) + "  (nearest tone in use " + clearance +
                        " away)");
    }
    return texts;
}

ChartLayout PlanView::Layout(ChartSize size) const { return LayoutChart(plan_, check_, size); }

TestPage PlanView::PageOf(const PlanViewRow& row, const PageTiming& timing) const {
    const Address& address = plan_.pagers.at(row.pager).addresses.at(row.address);
    if (address.kind == AddressKind::Group) return {{address.tone1 / 10.0, timing.groupSeconds}};
    return {{address.tone1 / 10.0, timing.aSeconds}, {address.tone2 / 10.0, timing.bSeconds}};
}

}  // namespace mk843nb::tones
