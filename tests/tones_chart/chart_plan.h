#pragma once

// A small plan with one of each: a clean call, two pagers on one address, a
// stacked page (X's TONE2 then Y's TONE1 is Z's address) and a group call.

#include "tones/tone_plan.h"

namespace mk843nb::test {

inline tones::PlanPager ChartPager(std::string label, std::uint16_t tone1, std::uint16_t tone2,
                                   int bandwidth = 15) {
    tones::PlanPager pager;
    pager.label = std::move(label);
    pager.addresses.push_back({tones::AddressKind::Call, 1, tone1, tone2});
    pager.bandwidth = bandwidth;
    return pager;
}

inline tones::TonePlan ChartPlan() {
    tones::TonePlan plan;
    plan.pagers.push_back(ChartPager("north-1", 6009, 6345));
    plan.pagers.push_back(ChartPager("north-2", 6009, 6345));
    plan.pagers.push_back(ChartPager("clean", 7468, 7885, 31));
    plan.pagers.push_back(ChartPager("first", 10000, 15000));
    plan.pagers.push_back(ChartPager("second", 20000, 8000));
    plan.pagers.push_back(ChartPager("rings", 15000, 20000));
    tones::PlanPager group = ChartPager("siren", 4000, 3300);
    group.addresses.push_back({tones::AddressKind::Group, 1, 12000, 0});
    plan.pagers.push_back(group);
    return plan;
}

}  // namespace mk843nb::test
