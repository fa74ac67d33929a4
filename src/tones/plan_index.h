#pragma once

// The addresses of a tone plan sorted by tone, so each check looks only at
// the addresses near a tone instead of at every pair of pagers.

#include <cstddef>
#include <cstdint>
#include <map>
#include <vector>

#include "image/codecs.h"
#include "tones/tone_plan.h"

namespace mk843nb::tones {

// An address of a pager in the plan: plan.pagers[pager].addresses[address].
struct AddressUse {
    std::size_t pager = 0;
    std::size_t address = 0;
    CallPair pair;      // group calls: tone1 is the group tone, tone2 is 0
    int bandwidth = 0;  // the pager's
    int gapMax = 0;     // the pager's
    ToneTimes times{};  // the pager's
};

class PlanIndex {
public:
    PlanIndex() = default;
    explicit PlanIndex(const TonePlan& plan);
    void Add(const PlanPager& pager, std::size_t pagerIndex);

    const std::vector<AddressUse>& Uses() const { return uses_; }
    // Individual calls by their pair, by TONE1 and by TONE2; group calls by tone.
    // Values are indexes into Uses().
    const std::map<CallPair, std::vector<std::size_t>>& ByPair() const { return byPair_; }
    const std::map<std::uint16_t, std::vector<std::size_t>>& ByTone1() const { return byTone1_; }
    const std::map<std::uint16_t, std::vector<std::size_t>>& ByTone2() const { return byTone2_; }
    const std::map<std::uint16_t, std::vector<std::size_t>>& ByGroupTone() const {
        return byGroupTone_;
    }

private:
    std::vector<AddressUse> uses_;
    std::map<CallPair, std::vector<std::size_t>> byPair_;
    std::map<std::uint16_t, std::vector<std::size_t>> byTone1_;
    std::map<std::uint16_t, std::vector<std::size_t>> byTone2_;
    std::map<std::uint16_t, std::vector<std::size_t>> byGroupTone_;
};

// The own tones a decoder of any bandwidth could take `heard` for, as a
// closed range that is a little wider than needed: [low, high].
std::pair<std::uint16_t, std::uint16_t> OwnTonesNear(std::uint16_t heard);
// The tones any decoder with own tone `own` could take for it: [low, high].
std::pair<std::uint16_t, std::uint16_t> HeardTonesNear(std::uint16_t own);

}  // namespace mk843nb::tones
