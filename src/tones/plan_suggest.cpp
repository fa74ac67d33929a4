#include "tones/plan_suggest.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "tones/plan_index.h"
#include "tones/tone_names.h"

namespace mk843nb::tones {
namespace {

template <typename Map>
auto Window(const Map& map, std::pair<std::uint16_t, std::uint16_t> range) {
    return std::pair{map.lower_bound(range.first), map.upper_bound(range.second)};
}

std::uint16_t Lowest(std::uint16_t tone) {
    return std::min(OwnTonesNear(tone).first, HeardTonesNear(tone).first);
}
std::uint16_t Highest(std::uint16_t tone) {
    return std::max(OwnTonesNear(tone).second, HeardTonesNear(tone).second);
}

// Whether a new pager holding only the call c, with bandwidth bw, adds no
// problem CheckPlan would find: the same checks, asked of one address.
class Candidate {
public:
    Candidate(const PlanIndex& index, CallPair c, int bw) : index_(index), c_(c), bw_(bw) {}

    bool Passes() const {
        return OwnTonesApart() && !SameAddress() && !WithinBandwidth() && !FormedByOthers() &&
               !FormsByStarting() && !FormsByEnding() && !HeardAsGroupTone();
    }

private:
    const AddressUse& Use(std::size_t use) const { return index_.Uses()[use]; }
    bool HasOther(const std::vector<std::size_t>& uses, std::size_t pager) const {
        return std::any_of(uses.begin(), uses.end(),
                           [&](std::size_t use) { return Use(use).pager != pager; });
    }

    // Its own two tones must not be taken for each other.
    bool OwnTonesApart() const {
        return c_.tone1 != c_.tone2 && !Decodes(c_.tone1, c_.tone2, bw_) &&
               !Decodes(c_.tone2, c_.tone1, bw_);
    }
    bool SameAddress() const { return index_.ByPair().contains(c_); }

    // It rings on a nearby page, or a nearby pager rings on its page.
    bool WithinBandwidth() const {
        const auto& byPair = index_.ByPair();
        for (auto q = byPair.lower_bound({Lowest(c_.tone1), 0});
             q != byPair.end() && q->first.tone1 <= Highest(c_.tone1); ++q) {
            const CallPair& other = q->first;
            if (Decodes(other.tone1, c_.tone1, bw_) && Decodes(other.tone2, c_.tone2, bw_))
                return true;
            for (std::size_t use : q->second)
                if (Decodes(c_.tone1, other.tone1, Use(use).bandwidth) &&
                    Decodes(c_.tone2, other.tone2, Use(use).bandwidth))
                    return true;
        }
        return false;
    }

    // Two pages of the plan sent back to back form its address.
    bool FormedByOthers() const {
        const auto near = [&](const auto& map, std::uint16_t own) {
            const auto [from, to] = Window(map, OwnTonesNear(own));
            for (auto it = from; it != to; ++it)
                if (Decodes(it->first, own, bw_)) return true;
            return false;
        };
        return near(index_.ByTone2(), c_.tone1) && near(index_.ByTone1(), c_.tone2);
    }

    // Its page, then a page starting with b (its own or another pager's), rings a third pager Z.
    bool FormsByEnding() const {
        const auto [from, to] = Window(index_.ByTone1(), OwnTonesNear(c_.tone2));
        for (auto z = from; z != to; ++z)
            for (std::size_t use : z->second) {
                const AddressUse& holder = Use(use);
                if (!Decodes(c_.tone2, holder.pair.tone1, holder.bandwidth)) continue;
                if (Decodes(c_.tone1, holder.pair.tone2, holder.bandwidth)) return true;
                const auto [bFrom, bTo] = Window(index_.ByTone1(), OwnTonesNear(holder.pair.tone2));
                for (auto b = bFrom; b != bTo; ++b)
                    if (Decodes(b->first, holder.pair.tone2, holder.bandwidth) &&
                        HasOther(b->second, holder.pager))
                        return true;
            }
        return false;
    }

    // A page ending with a (its own or another pager's), then its page, rings a third pager Z.
    bool FormsByStarting() const {
        const auto [from, to] = Window(index_.ByTone2(), OwnTonesNear(c_.tone1));
        for (auto z = from; z != to; ++z)
            for (std::size_t use : z->second) {
                const AddressUse& holder = Use(use);
                if (!Decodes(c_.tone1, holder.pair.tone2, holder.bandwidth)) continue;
                if (Decodes(c_.tone2, holder.pair.tone1, holder.bandwidth)) return true;
                const auto [aFrom, aTo] = Window(index_.ByTone2(), OwnTonesNear(holder.pair.tone1));
                for (auto a = aFrom; a != aTo; ++a)
                    if (Decodes(a->first, holder.pair.tone1, holder.bandwidth) &&
                        HasOther(a->second, holder.pager))
                        return true;
            }
        return false;
    }

    // Its page's TONE1 (as a console sends it to a new pager) sets off a group call.
    bool HeardAsGroupTone() const {
        const auto [from, to] = Window(index_.ByGroupTone(), OwnTonesNear(c_.tone1));
        for (auto g = from; g != to; ++g)
            for (std::size_t use : g->second)
                if (Decodes(c_.tone1, g->first, Use(use).bandwidth) &&
                    ShortestMs(Use(use).times, PageTone::Group) <= kPageTone1Ms)
                    return true;
        return false;
    }

    const PlanIndex& index_;
    CallPair c_;
    int bw_;
};

// Percent from tone to the nearest tone in use.
double Clearance(std::uint16_t tone, const std::vector<std::uint16_t>& inUse) {
    double nearest = std::numeric_limits<double>::infinity();
    for (std::uint16_t used : inUse)
        nearest = std::min(nearest, std::abs(static_cast<double>(tone) - used) * 100.0 / used);
    return nearest;
}

}  // namespace

bool IsFreePair(const TonePlan& plan, const CallPair& pair, int bandwidth) {
    const PlanIndex index(plan);
    return Candidate(index, pair, bandwidth).Passes();
}

Suggestions SuggestPairs(const TonePlan& plan, const SuggestOptions& options) {
    Suggestions result;
    result.bandwidth = options.bandwidth;
    if (result.bandwidth == 0) {
        for (const PlanPager& pager : plan.pagers)
            result.bandwidth = std::max(result.bandwidth, pager.bandwidth);
        if (result.bandwidth == 0) result.bandwidth = 15;
    }
    PlanIndex index(plan);
    std::vector<std::uint16_t> inUse;
    for (const AddressUse& use : index.Uses()) {
        inUse.push_back(use.pair.tone1);
        if (use.pair.tone2 != 0) inUse.push_back(use.pair.tone2);
    }

    const std::vector<std::uint16_t>& values = StandardValues();
    std::vector<CallPair> candidates;
    for (std::uint16_t first : values)
        for (std::uint16_t second : values)
            if (first != second) candidates.push_back({first, second});

    std::size_t pagers = plan.pagers.size();
    while (static_cast<int>(result.pairs.size()) < options.count) {
        std::sort(inUse.begin(), inUse.end());
        inUse.erase(std::unique(inUse.begin(), inUse.end()), inUse.end());
        std::vector<double> clearance;
        for (std::uint16_t value : values) clearance.push_back(Clearance(value, inUse));
        const auto clearanceOf = [&](std::uint16_t tone) {
            const auto at = std::lower_bound(values.begin(), values.end(), tone) - values.begin();
            return clearance[static_cast<std::size_t>(at)];
        };
        std::vector<std::pair<double, CallPair>> ranked;
        for (const CallPair& candidate : candidates)
            ranked.push_back(
                {std::min(clearanceOf(candidate.tone1), clearanceOf(candidate.tone2)), candidate});
        std::sort(ranked.begin(), ranked.end(), [](const auto& x, const auto& y) {
            return x.first != y.first ? x.first > y.first : x.second < y.second;
        });
        const auto chosen = std::find_if(ranked.begin(), ranked.end(), [&](const auto& entry) {
            return Candidate(index, entry.second, result.bandwidth).Passes();
        });
        if (chosen == ranked.end()) break;
        const CallPair pair = chosen->second;
        result.pairs.push_back({pair, std::isinf(chosen->first) ? 100.0 : chosen->first});
        PlanPager added{"",
                        "",
                        {{AddressKind::Call, 1, pair.tone1, pair.tone2}},
                        result.bandwidth,
                        options.gapMax,
                        {}};
        index.Add(added, pagers++);
        inUse.push_back(pair.tone1);
        inUse.push_back(pair.tone2);
    }
    return result;
}

}  // namespace mk843nb::tones
