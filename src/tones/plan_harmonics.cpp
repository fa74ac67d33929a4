#include "tones/plan_harmonics.h"

#include <algorithm>
#include <map>
#include <unordered_set>

#include "tones/plan_index.h"
#include "tones/tone_names.h"

namespace mk843nb::tones {
namespace {

constexpr int kMultiples[] = {2, 3};

std::string_view MultipleName(int multiple) { return multiple == 2 ? "second" : "third"; }

// "1201.8 Hz": a harmonic is no tone of the table, so it has no name.
std::string HarmonicText(std::uint32_t tenths) {
    return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + " Hz";
}

}  // namespace

std::vector<Harmonic> FindHarmonics(const TonePlan& plan) {
    const PlanIndex index(plan);
    // Every tone a page sends is one its pager also holds: one map serves both.
    std::map<std::uint16_t, std::vector<std::size_t>> byTone;
    for (const auto* map : {&index.ByTone1(), &index.ByTone2(), &index.ByGroupTone()})
        for (const auto& [tone, uses] : *map)
            byTone[tone].insert(byTone[tone].end(), uses.begin(), uses.end());
    const auto pagerOf = [&](std::size_t use) { return index.Uses()[use].pager; };
    const auto part = [&](std::size_t use, Role role) {
        return ProblemPart{index.Uses()[use].pager, index.Uses()[use].address, role};
    };

    std::vector<Harmonic> found;
    for (const auto& [sent, senders] : byTone) {
        for (int multiple : kMultiples) {
            const auto heard = static_cast<std::uint32_t>(sent * multiple);
            if (heard > 65535) continue;
            const auto heardTone = static_cast<std::uint16_t>(heard);
            const auto [low, high] = OwnTonesNear(heardTone);
            for (auto own = byTone.lower_bound(low); own != byTone.end() && own->first <= high;
                 ++own) {
                std::unordered_set<std::size_t> sendingPagers;
                for (std::size_t use : senders) sendingPagers.insert(pagerOf(use));
                std::vector<ProblemPart> ringers;
                std::unordered_set<std::size_t> ringingPagers;
                for (std::size_t use : own->second) {
                    const std::size_t pager = pagerOf(use);
                    // A pager that alone sends the tone is paged anyway.
                    const bool otherSends =
                        sendingPagers.size() > 1 || !sendingPagers.contains(pager);
                    if (otherSends && Decodes(heardTone, own->first, index.Uses()[use].bandwidth)) {
                        ringers.push_back(part(use, Role::Rings));
                        ringingPagers.insert(pager);
                    }
                }
                if (ringers.empty()) continue;
                Harmonic harmonic{sent, multiple, own->first, {}, ""};
                for (std::size_t use : senders)
                    if (ringingPagers.size() > 1 || !ringingPagers.contains(pagerOf(use)))
                        harmonic.parts.push_back(part(use, Role::Paged));
                const bool one = PagersOf(ringers).size() == 1;
                harmonic.detail =
                    DescribeParts(plan, ringers, true) + " may take the " +
                    std::string(MultipleName(multiple)) + " harmonic of " + ToneName(sent) + ", " +
                    HarmonicText(heard) + ", sent in a page of " +
                    DescribeParts(plan, harmonic.parts) + ", for " + (one ? "its" : "their") +
                    " own " + ToneName(own->first) + " (" + PercentApart(heardTone, own->first) +
                    " apart, within " + (one ? "its" : "their") +
                    " bandwidth): a possible fault of older reed decoders.";
                harmonic.parts.insert(harmonic.parts.end(), ringers.begin(), ringers.end());
                found.push_back(std::move(harmonic));
            }
        }
    }
    return found;
}

}  // namespace mk843nb::tones
