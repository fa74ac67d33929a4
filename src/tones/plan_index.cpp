#include "tones/plan_index.h"

#include <algorithm>

namespace mk843nb::tones {
namespace {

std::uint16_t Clamped(std::int64_t tone) {
    return static_cast<std::uint16_t>(std::clamp<std::int64_t>(tone, 0, 65535));
}

}  // namespace

PlanIndex::PlanIndex(const TonePlan& plan) {
    for (std::size_t p = 0; p < plan.pagers.size(); ++p) Add(plan.pagers[p], p);
}

void PlanIndex::Add(const PlanPager& pager, std::size_t pagerIndex) {
    for (std::size_t a = 0; a < pager.addresses.size(); ++a) {
        const Address& address = pager.addresses[a];
        const std::size_t use = uses_.size();
        uses_.push_back({pagerIndex,
                         a,
                         {address.tone1, address.tone2},
                         pager.bandwidth,
                         pager.gapMax,
                         pager.times});
        if (address.kind == AddressKind::Group) {
            byGroupTone_[address.tone1].push_back(use);
            continue;
        }
        byPair_[uses_.back().pair].push_back(use);
        byTone1_[address.tone1].push_back(use);
        byTone2_[address.tone2].push_back(use);
    }
}

// |heard - own| x 1000 < own x 31 holds only for own in (heard / 1.031, heard / 0.969).
std::pair<std::uint16_t, std::uint16_t> OwnTonesNear(std::uint16_t heard) {
    return {Clamped(heard * 1000 / (1000 + kWidestBandwidth) - 1),
            Clamped(heard * 1000 / (1000 - kWidestBandwidth) + 1)};
}

std::pair<std::uint16_t, std::uint16_t> HeardTonesNear(std::uint16_t own) {
    return {Clamped(own - own * kWidestBandwidth / 1000 - 1),
            Clamped(own + own * kWidestBandwidth / 1000 + 1)};
}

}  // namespace mk843nb::tones
