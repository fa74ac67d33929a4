#include "tones/plan_check.h"

#include <algorithm>
#include <limits>
#include <set>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "tones/plan_index.h"
#include "tones/tone_names.h"

namespace mk843nb::tones {
namespace {

// How many pagers a list names before "and N more pagers".
constexpr std::size_t kNamed = 5;

// How much of a pager's decoder DescribeParts says.
enum class Decoder { None, Bandwidth, BandwidthAndGap };

std::size_t PagerCount(const std::vector<ProblemPart>& parts) {
    std::vector<std::size_t> pagers;
    pagers.reserve(parts.size());
    for (const ProblemPart& part : parts) pagers.push_back(part.pager);
    std::sort(pagers.begin(), pagers.end());
    return static_cast<std::size_t>(std::unique(pagers.begin(), pagers.end()) - pagers.begin());
}

// knownCount: how many pagers there are when parts were cut short; 0 to count them.
std::string DescribeWith(const TonePlan& plan, const std::vector<ProblemPart>& parts,
                         Decoder decoder, std::size_t knownCount = 0) {
    // Five pagers are named, or six when naming them costs no more than "and 1
    // more pagers" would; only those are grouped, in the order they first
    // appear: a problem of a large fleet can involve thousands.
    std::vector<std::pair<std::size_t, std::vector<std::size_t>>> byPager;
    for (const ProblemPart& part : parts) {
        auto found = std::find_if(byPager.begin(), byPager.end(),
                                  [&](const auto& each) { return each.first == part.pager; });
        if (found == byPager.end()) {
            if (byPager.size() == kNamed + 2) continue;
            byPager.push_back({part.pager, {}});
            found = byPager.end() - 1;
        }
        auto& addresses = found->second;
        if (std::find(addresses.begin(), addresses.end(), part.address) == addresses.end())
            addresses.push_back(part.address);
    }
    const std::size_t pagerCount = knownCount != 0                ? knownCount
                                   : byPager.size() <= kNamed + 1 ? byPager.size()
                                                                  : PagerCount(parts);
    const std::size_t named = pagerCount > kNamed + 1 ? kNamed : pagerCount;
    std::string text;
    for (std::size_t i = 0; i < named; ++i) {
        const PlanPager& pager = plan.pagers[byPager[i].first];
        std::string what;
        for (std::size_t a = 0; a < byPager[i].second.size(); ++a)
            what += (a == 0                              ? ""
                     : a + 1 == byPager[i].second.size() ? " and "
                                                         : ", ") +
                    pager.addresses[byPager[i].second[a]].Name();
        if (decoder != Decoder::None) what += ", " + BandwidthText(pager.bandwidth);
        if (decoder == Decoder::BandwidthAndGap)
            what += ", gap limit " + std::to_string(pager.gapMax * 100) + " ms";
        const bool last = i + 1 == named && named == pagerCount;
        text += (i == 0 ? "" : last ? " and " : ", ") + ("'" + pager.label + "' (" + what + ")");
    }
    if (named < pagerCount) text += " and " + std::to_string(pagerCount - named) + " more pagers";
    return text;
}

std::string_view Pick(std::size_t count, std::string_view one, std::string_view many) {
    return count == 1 ? one : many;
}

std::vector<std::uint16_t> Tones(std::initializer_list<std::uint16_t> tones) {
    std::vector<std::uint16_t> sorted(tones);
    std::sort(sorted.begin(), sorted.end());
    sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
    return sorted;
}

// The longest of what the pagers of parts may take as the shortest tone.
int LongestShortest(const TonePlan& plan, const std::vector<ProblemPart>& parts, PageTone tone) {
    int longest = 0;
    for (const ProblemPart& part : parts)
        longest = std::max(longest, ShortestMs(plan.pagers[part.pager].times, tone));
    return longest;
}

// " The page's 1 s TONE1 and 3 s TONE2 are long enough for it: its Tone1 and
// Tone2 durations, less their limits, are 0.2 s and 0.2 s." tones names them.
std::string CallTonesLongEnough(const TonePlan& plan, const std::vector<ProblemPart>& ringers,
                                const std::string& tones) {
    const bool one = PagerCount(ringers) == 1;
    return " " + tones + " are long enough for " + (one ? "it" : "them") + ": " +
           (one ? "its" : "their") + " Tone1 and Tone2 durations, less their limits, are " +
           (one ? "" : "at most ") +
           MillisecondsText(LongestShortest(plan, ringers, PageTone::Tone1)) + " and " +
           MillisecondsText(LongestShortest(plan, ringers, PageTone::Tone2)) + ".";
}

class Checker {
public:
    using Sink = std::function<void(Problem&&, std::size_t)>;
    Checker(const TonePlan& plan, const std::vector<CallPair>& shared, Sink sink = {})
        : plan_(plan), index_(plan), shared_(shared.begin(), shared.end()), sink_(std::move(sink)) {
        // A stacked page weighs the pages ending in a tone against those
        // starting with another many times over: their longest tones once.
        for (const auto& [tone, uses] : index_.ByTone1())
            longestTone1_[tone] = LongestPage(uses, PageTone::Tone1);
        for (const auto& [tone, uses] : index_.ByTone2())
            longestTone2_[tone] = LongestPage(uses, PageTone::Tone2);
    }

    void SameAddress() {
        for (const auto& [pair, holders] : index_.ByPair()) {
            if (shared_.contains(pair)) continue;
            std::vector<ProblemPart> parts = Parts(holders, Role::Holder);
            const std::size_t pagers = PagerCount(parts);
            if (pagers < 2) continue;  // two calls of one pager: it rings either way
            std::string detail = DescribeWith(plan_, parts, Decoder::None) +
                                 " have the same address " + PairName(pair) + ": " +
                                 (pagers == 2 ? "both" : "all " + std::to_string(pagers)) +
                                 " ring on one page.";
            Add(ProblemKind::SameAddress, std::move(parts), Tones({pair.tone1, pair.tone2}),
                std::move(detail));
        }
    }

    // The holders of a nearby address Q that take the page of P for their own.
    void WithinBandwidth() {
        const auto& byPair = index_.ByPair();
        for (const auto& [paged, pagedUses] : byPair) {
            // The page of the address lasts as long as its longest-needing holder wants it.
            const int firstMs = LongestPage(pagedUses, PageTone::Tone1);
            const int secondMs = LongestPage(pagedUses, PageTone::Tone2);
            const auto [low1, high1] = OwnTonesNear(paged.tone1);
            const auto [low2, high2] = OwnTonesNear(paged.tone2);
            for (auto q = byPair.lower_bound({low1, 0}); q != byPair.end(); ++q) {
                const CallPair& own = q->first;
                if (own.tone1 > high1) break;
                if (own == paged || own.tone2 < low2 || own.tone2 > high2) continue;
                std::vector<ProblemPart> ringers;
                for (std::size_t use : q->second) {
                    const AddressUse& holder = index_.Uses()[use];
                    if (Decodes(paged.tone1, own.tone1, holder.bandwidth) &&
                        Decodes(paged.tone2, own.tone2, holder.bandwidth) &&
                        Takes(holder.pager, PageTone::Tone1, firstMs) &&
                        Takes(holder.pager, PageTone::Tone2, secondMs) &&
                        !HoldsAny(holder.pager, pagedUses))
                        ringers.push_back(Part(use, Role::Rings));
                }
                if (ringers.empty()) continue;
                const std::size_t n = PagerCount(ringers);
                std::vector<ProblemPart> parts = Parts(pagedUses, Role::Paged);
                std::string detail =
                    DescribeWith(plan_, ringers, Decoder::Bandwidth) + " " +
                    std::string(Pick(n, "rings", "ring")) + " on the page of " +
                    DescribeWith(plan_, parts, Decoder::None) + ": " + PairName(paged) + " is " +
                    PercentApart(paged.tone1, own.tone1) + " and " +
                    PercentApart(paged.tone2, own.tone2) + " from " +
                    std::string(Pick(n, "its", "their")) + " own " + PairName(own) + ", within " +
                    std::string(Pick(n, "its", "their")) + " bandwidth." +
                    CallTonesLongEnough(plan_, ringers,
                                        "The page's " + MillisecondsText(firstMs) + " TONE1 and " +
                                            MillisecondsText(secondMs) + " TONE2");
                parts.insert(parts.end(), ringers.begin(), ringers.end());
                Add(ProblemKind::WithinBandwidth, std::move(parts),
                    Tones({paged.tone1, paged.tone2, own.tone1, own.tone2}), std::move(detail));
            }
        }
    }

    // Z rings when a page ending in a (X's TONE2) is followed by one starting with b (Y's TONE1).
    void StackedPage() {
        const auto& byTone1 = index_.ByTone1();
        const auto& byTone2 = index_.ByTone2();
        for (const auto& [z, zUses] : index_.ByPair()) {
            const auto [lowA, highA] = HeardTonesNear(z.tone1);
            const auto [lowB, highB] = HeardTonesNear(z.tone2);
            for (auto a = byTone2.lower_bound(lowA); a != byTone2.end() && a->first <= highA; ++a) {
                if (!AnyDecodes(zUses, a->first, z.tone1)) continue;
                for (auto b = byTone1.lower_bound(lowB); b != byTone1.end() && b->first <= highB;
                     ++b)
                    Stacked(z, zUses, a->first, a->second, b->first, b->second);
            }
        }
    }

    void GroupTone() {
        const auto& byTone1 = index_.ByTone1();
        for (const auto& [g, gUses] : index_.ByGroupTone()) {
            const auto [low, high] = HeardTonesNear(g);
            for (auto a = byTone1.lower_bound(low); a != byTone1.end() && a->first <= high; ++a) {
                // The longest TONE1 a page starting with this tone has.
                const int firstMs = longestTone1_.at(a->first);
                std::vector<ProblemPart> ringers;
                for (std::size_t use : gUses) {
                    const AddressUse& holder = index_.Uses()[use];
                    if (Decodes(a->first, g, holder.bandwidth) &&
                        Takes(holder.pager, PageTone::Group, firstMs) &&
                        HasOther(a->second, holder.pager))
                        ringers.push_back(Part(use, Role::Rings));
                }
                if (ringers.empty()) continue;
                // The pages whose TONE1 lasts long enough for some pager that rings.
                const int needed = MinShortest(ringers, PageTone::Group);
                std::vector<ProblemPart> paged;
                for (std::size_t use : a->second)
                    if (PageMs(plan_.pagers[index_.Uses()[use].pager], PageTone::Tone1) >= needed &&
                        HasOtherPart(ringers, index_.Uses()[use].pager))
                        paged.push_back(Part(use, Role::Paged));
                const std::size_t n = PagerCount(ringers);
                std::string detail =
                    DescribeWith(plan_, ringers, Decoder::Bandwidth) + " " +
                    std::string(Pick(n, "takes", "take")) + " the TONE1 of a page of " +
                    DescribeWith(plan_, paged, Decoder::None) + ", " + ToneName(a->first) +
                    ", for " + std::string(Pick(n, "its", "their")) + " group tone " + ToneName(g) +
                    " (" + PercentApart(a->first, g) + " apart, within " +
                    std::string(Pick(n, "its", "their")) + " bandwidth). The page's " +
                    MillisecondsText(firstMs) + " TONE1 is long enough for " +
                    std::string(Pick(n, "its", "their")) + " group-call duration of " +
                    (n == 1 ? "" : "at most ") +
                    MillisecondsText(LongestShortest(plan_, ringers, PageTone::Group)) + ".";
                paged.insert(paged.end(), ringers.begin(), ringers.end());
                Add(ProblemKind::GroupTone, std::move(paged), Tones({a->first, g}),
                    std::move(detail));
            }
        }
    }

    CheckResult Result(const std::vector<CallPair>& shared) {
        CheckResult result;
        for (const CallPair& pair : shared) {
            SharedAddress entry{pair, {}};
            if (const auto found = index_.ByPair().find(pair); found != index_.ByPair().end())
                entry.holders = Parts(found->second, Role::Holder);
            result.shared.push_back(std::move(entry));
        }
        // The most serious kind first; within a kind, in the order the pagers were given.
        std::vector<std::pair<ProblemRank, std::size_t>> keys;
        for (std::size_t i = 0; i < problems_.size(); ++i)
            keys.emplace_back(RankOf(problems_[i]), i);
        std::sort(keys.begin(), keys.end());
        for (const auto& key : keys) result.problems.push_back(std::move(problems_[key.second]));
        return result;
    }

private:
    // The longest the tone of a page for any of uses lasts, in ms.
    int LongestPage(const std::vector<std::size_t>& uses, PageTone tone) const {
        int longest = 0;
        for (std::size_t use : uses)
            longest = std::max(longest, PageMs(plan_.pagers[index_.Uses()[use].pager], tone));
        return longest;
    }
    // Whether the pager may take a tone of ms for its own.
    bool Takes(std::size_t pager, PageTone tone, int ms) const {
        return ShortestMs(plan_.pagers[pager].times, tone) <= ms;
    }
    // The shortest tone any pager of parts may take.
    int MinShortest(const std::vector<ProblemPart>& parts, PageTone tone) const {
        int least = std::numeric_limits<int>::max();
        for (const ProblemPart& part : parts)
            least = std::min(least, ShortestMs(plan_.pagers[part.pager].times, tone));
        return least;
    }
    ProblemPart Part(std::size_t use, Role role) const {
        return {index_.Uses()[use].pager, index_.Uses()[use].address, role};
    }
    std::vector<ProblemPart> Parts(const std::vector<std::size_t>& uses, Role role) const {
        std::vector<ProblemPart> parts;
        for (std::size_t use : uses) parts.push_back(Part(use, role));
        return parts;
    }
    bool HoldsAny(std::size_t pager, const std::vector<std::size_t>& uses) const {
        return std::any_of(uses.begin(), uses.end(),
                           [&](std::size_t use) { return index_.Uses()[use].pager == pager; });
    }
    // Some use belongs to a pager other than `pager`.
    bool HasOther(const std::vector<std::size_t>& uses, std::size_t pager) const {
        return std::any_of(uses.begin(), uses.end(),
                           [&](std::size_t use) { return index_.Uses()[use].pager != pager; });
    }
    static bool HasOtherPart(const std::vector<ProblemPart>& parts, std::size_t pager) {
        return std::any_of(parts.begin(), parts.end(),
                           [&](const ProblemPart& part) { return part.pager != pager; });
    }
    bool AnyDecodes(const std::vector<std::size_t>& uses, std::uint16_t heard,
                    std::uint16_t own) const {
        return std::any_of(uses.begin(), uses.end(), [&](std::size_t use) {
            return Decodes(heard, own, index_.Uses()[use].bandwidth);
        });
    }

    void Stacked(const CallPair& z, const std::vector<std::size_t>& zUses, std::uint16_t a,
                 const std::vector<std::size_t>& xUses, std::uint16_t b,
                 const std::vector<std::size_t>& yUses) {
        // A third pager: it rings although neither page is for it, when the
        // first page's TONE2 and the second's TONE1 last long enough for it.
        const int firstMs = longestTone2_.at(a);
        const int secondMs = longestTone1_.at(b);
        std::vector<ProblemPart> ringers;
        for (std::size_t use : zUses) {
            const AddressUse& holder = index_.Uses()[use];
            if (Decodes(a, z.tone1, holder.bandwidth) && Decodes(b, z.tone2, holder.bandwidth) &&
                Takes(holder.pager, PageTone::Tone1, firstMs) &&
                Takes(holder.pager, PageTone::Tone2, secondMs) && HasOther(xUses, holder.pager) &&
                HasOther(yUses, holder.pager))
                ringers.push_back(Part(use, Role::Rings));
        }
        if (ringers.empty()) return;
        const int neededFirst = MinShortest(ringers, PageTone::Tone1);
        const int neededSecond = MinShortest(ringers, PageTone::Tone2);
        std::vector<ProblemPart> first;
        std::vector<ProblemPart> second;
        for (std::size_t use : xUses)
            if (PageMs(plan_.pagers[index_.Uses()[use].pager], PageTone::Tone2) >= neededFirst &&
                HasOtherPart(ringers, index_.Uses()[use].pager))
                first.push_back(Part(use, Role::FirstPage));
        for (std::size_t use : yUses)
            if (PageMs(plan_.pagers[index_.Uses()[use].pager], PageTone::Tone1) >= neededSecond &&
                HasOtherPart(ringers, index_.Uses()[use].pager))
                second.push_back(Part(use, Role::SecondPage));
        const std::size_t n = PagerCount(ringers);
        const std::string its(Pick(n, "its", "their"));
        std::string detail =
            DescribeWith(plan_, ringers, Decoder::BandwidthAndGap) + " " +
            std::string(Pick(n, "rings", "ring")) + " when a page of " +
            DescribeWith(plan_, first, Decoder::None) + " is followed by a page of " +
            DescribeWith(plan_, second, Decoder::None) + ": the first ends with " + ToneName(a) +
            ", the second starts with " + ToneName(b) + ", and that is " + its + " address " +
            PairName(z) + " (" + PercentApart(a, z.tone1) + " and " + PercentApart(b, z.tone2) +
            " apart, within " + its +
            " bandwidth) when the second page starts "
            "within " +
            its + " gap limit." +
            CallTonesLongEnough(plan_, ringers,
                                "The first page's " + MillisecondsText(firstMs) +
                                    " TONE2 and the second's " + MillisecondsText(secondMs) +
                                    " TONE1");
        std::vector<ProblemPart> parts = std::move(first);
        parts.insert(parts.end(), second.begin(), second.end());
        parts.insert(parts.end(), ringers.begin(), ringers.end());
        Add(ProblemKind::StackedPage, std::move(parts), Tones({a, b, z.tone1, z.tone2}),
            std::move(detail));
    }

    void Add(ProblemKind kind, std::vector<ProblemPart> parts, std::vector<std::uint16_t> tones,
             std::string detail) {
        Problem problem{kind, std::move(parts), std::move(tones), std::move(detail)};
        if (sink_)
            sink_(std::move(problem), found_++);
        else
            problems_.push_back(std::move(problem));
    }

    const TonePlan& plan_;
    PlanIndex index_;
    std::set<CallPair> shared_;
    Sink sink_;
    std::size_t found_ = 0;
    std::vector<Problem> problems_;
    // The longest TONE1 of the pages starting with a tone, the longest TONE2
    // of those ending with one, in ms.
    std::unordered_map<std::uint16_t, int> longestTone1_;
    std::unordered_map<std::uint16_t, int> longestTone2_;
};

}  // namespace

std::string_view KindKey(ProblemKind kind) {
    switch (kind) {
        case ProblemKind::SameAddress:
            return "same-address";
        case ProblemKind::WithinBandwidth:
            return "within-bandwidth";
        case ProblemKind::StackedPage:
            return "stacked-page";
        case ProblemKind::GroupTone:
            return "group-tone";
    }
    return "";
}

std::string_view KindTitle(ProblemKind kind) {
    switch (kind) {
        case ProblemKind::SameAddress:
            return "same address";
        case ProblemKind::WithinBandwidth:
            return "within bandwidth";
        case ProblemKind::StackedPage:
            return "stacked page";
        case ProblemKind::GroupTone:
            return "group tone";
    }
    return "";
}

std::vector<std::size_t> Problem::Pagers() const { return PagersOf(parts); }

std::vector<std::size_t> PagersOf(const std::vector<ProblemPart>& parts, std::optional<Role> role) {
    std::vector<std::size_t> pagers;
    std::unordered_set<std::size_t> seen;
    for (const ProblemPart& part : parts)
        if ((!role || part.role == *role) && seen.insert(part.pager).second)
            pagers.push_back(part.pager);
    return pagers;
}

ProblemRank RankOf(const Problem& problem) {
    ProblemRank rank{problem.kind, std::numeric_limits<std::size_t>::max(), problem.tones};
    for (const ProblemPart& part : problem.parts)
        rank.firstPager = std::min(rank.firstPager, part.pager);
    return rank;
}

namespace {

void RunChecks(Checker& checker) {
    checker.SameAddress();
    checker.WithinBandwidth();
    checker.StackedPage();
    checker.GroupTone();
}

}  // namespace

CheckResult CheckPlan(const TonePlan& plan, const std::vector<CallPair>& shared) {
    Checker checker(plan, shared);
    RunChecks(checker);
    return checker.Result(shared);
}

void CheckPlanEach(const TonePlan& plan, const std::vector<CallPair>& shared,
                   const std::function<void(Problem&& problem, std::size_t found)>& take) {
    Checker checker(plan, shared, take);
    RunChecks(checker);
}

std::vector<std::string> SameAddressByHolder(const TonePlan& plan, const Problem& problem) {
    // The parts of each pager, in the order the pagers first appear; a holder
    // names at most a few others, so thousands of holders cost no more than
    // thousands of short lists.
    std::vector<std::vector<ProblemPart>> byPager;
    std::unordered_map<std::size_t, std::size_t> slot;
    for (const ProblemPart& part : problem.parts) {
        const auto [at, added] = slot.emplace(part.pager, byPager.size());
        if (added) byPager.emplace_back();
        byPager[at->second].push_back(part);
    }
    std::vector<std::string> texts;
    if (byPager.empty()) return texts;
    const std::size_t pagers = byPager.size();
    const ProblemPart& first = problem.parts.front();
    const Address& held = plan.pagers[first.pager].addresses[first.address];
    const std::string address = PairName({held.tone1, held.tone2});
    const std::string ring = (pagers == 2 ? std::string("both") : "all " + std::to_string(pagers)) +
                             " ring on one page.";
    for (std::size_t i = 0; i < pagers; ++i) {
        std::vector<ProblemPart> others;
        for (std::size_t j = 0, named = 0; j < pagers && named < kNamed + 2; ++j) {
            if (j == i) continue;
            others.insert(others.end(), byPager[j].begin(), byPager[j].end());
            ++named;
        }
        texts.push_back(DescribeWith(plan, byPager[i], Decoder::None) + " has the same address " +
                        address + " as " + DescribeWith(plan, others, Decoder::None, pagers - 1) +
                        ": " + ring);
    }
    return texts;
}

std::string DescribeParts(const TonePlan& plan, const std::vector<ProblemPart>& parts,
                          bool withDecoder) {
    return DescribeWith(plan, parts, withDecoder ? Decoder::Bandwidth : Decoder::None);
}

}  // namespace mk843nb::tones
