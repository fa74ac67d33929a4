// Harmonics: a page's tone at twice or three times, within another pager's
// bandwidth of its own tone.

#include "tones/plan_harmonics.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace mk843nb::tones {
namespace {

struct Holder {
    std::string label;
    std::vector<CallPair> calls;
    std::vector<std::uint16_t> groups = {};
};

TonePlan Plan(const std::vector<Holder>& holders) {
    TonePlan plan;
    for (const Holder& holder : holders) {
        PlanPager pager{holder.label, "", {}, 15, 5, {}};
        int number = 0;
        for (const CallPair& call : holder.calls)
            pager.addresses.push_back({AddressKind::Call, ++number, call.tone1, call.tone2});
        number = 0;
        for (std::uint16_t group : holder.groups)
            pager.addresses.push_back({AddressKind::Group, ++number, group, 0});
        plan.pagers.push_back(std::move(pager));
    }
    return plan;
}

// "6009 x2 for 12018: A/call 1 paged, B/call 1 rings".
std::vector<std::string> Found(const std::vector<Holder>& holders) {
    const TonePlan plan = Plan(holders);
    std::vector<std::string> lines;
    for (const Harmonic& harmonic : FindHarmonics(plan)) {
        std::string line = std::to_string(harmonic.sent) + " x" +
                           std::to_string(harmonic.multiple) + " for " +
                           std::to_string(harmonic.own) + ":";
        for (const ProblemPart& part : harmonic.parts)
            line += (line.back() == ':' ? " " : ", ") + plan.pagers[part.pager].label + "/" +
                    plan.pagers[part.pager].addresses[part.address].Name() +
                    (part.role == Role::Paged ? " paged" : " rings");
        lines.push_back(line);
    }
    return lines;
}

using Lines = std::vector<std::string>;

TEST(HarmonicsTest, TwiceOrThreeTimesAPagesToneWithinAnotherPagersBandwidth) {
    struct Case {
        std::string name;
        std::vector<Holder> pagers;
        Lines found;
    };
    // A pages 600.9 / 634.5; 2 x 600.9 = 1201.8 and 3 x 600.9 = 1802.7. At
    // 1.5 %, 1201.8 is inside the bandwidth of 1220.1 and outside that of 1220.2.
    const Holder a{"A", {{6009, 6345}}};
    const std::vector<Case> cases{
        {"exactly twice",
         {a, {"B", {{12018, 15000}}}},
         {"6009 x2 for 12018: A/call 1 paged, B/call 1 rings"}},
        {"three times, as TONE2",
         {a, {"B", {{15000, 18027}}}},
         {"6009 x3 for 18027: A/call 1 paged, B/call 1 rings"}},
        {"just inside the bandwidth",
         {a, {"B", {{12201, 15000}}}},
         {"6009 x2 for 12201: A/call 1 paged, B/call 1 rings"}},
        {"just outside", {a, {"B", {{12202, 15000}}}}, {}},
        {"four times is no harmonic said", {a, {"B", {{24036, 15000}}}}, {}},
        {"its own page", {{"A", {{6009, 12018}}}}, {}},
        {"a tone another pager pages too",
         {a, {"B", {{6009, 12018}}}},
         {"6009 x2 for 12018: A/call 1 paged, B/call 1 rings"}},
        {"a group call's tone",
         {{"G", {}, {5000}}, {"X", {{10000, 6345}}}},
         {"5000 x2 for 10000: G/group call 1 paged, X/call 1 rings"}},
    };
    for (const Case& c : cases) EXPECT_EQ(Found(c.pagers), c.found) << c.name;
}

TEST(HarmonicsTest, TheParagraphSaysWhoMayRespondAndThatItIsNoError) {
    const TonePlan plan = Plan({{"Engine 1", {{6009, 6345}}}, {"Medic 2", {{12018, 15000}}}});
    const std::vector<Harmonic> found = FindHarmonics(plan);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].detail,
              "'Medic 2' (call 1, ±1.5%) may take the second harmonic of 600.9 (Mot 2, 1), "
              "1201.8 Hz, sent in a page of 'Engine 1' (call 1), for its own 1201.8 (not "
              "standard) (0.00% apart, within its bandwidth): a possible fault of older reed "
              "decoders.");
}

}  // namespace
}  // namespace mk843nb::tones
