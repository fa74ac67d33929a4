// The tone-plan checks: who rings on whose page, at the edges of the bandwidth.

#include "tones/plan_check.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace mk843nb::tones {
namespace {

// A pager of a test plan: its label, its calls' tone pairs, its bandwidth, its group tones.
struct PagerOnPlan {
    std::string label;
    std::vector<CallPair> calls;
    int bandwidth = 15;
    std::vector<std::uint16_t> groups = {};
    ToneTimes times = {};  // as a new table has them: 0.3 s less 0.1 s, a 5 s group call
};

TonePlan Plan(const std::vector<PagerOnPlan>& pagers) {
    TonePlan plan;
    for (const PagerOnPlan& given : pagers) {
        PlanPager pager{given.label, "", {}, given.bandwidth, 5, given.times};
        int number = 0;
        for (const CallPair& call : given.calls)
            pager.addresses.push_back({AddressKind::Call, ++number, call.tone1, call.tone2});
        number = 0;
        for (std::uint16_t group : given.groups)
            pager.addresses.push_back({AddressKind::Group, ++number, group, 0});
        plan.pagers.push_back(std::move(pager));
    }
    return plan;
}

std::string_view RoleText(Role role) {
    switch (role) {
        case Role::Holder:
            return "holds";
        case Role::Paged:
            return "paged";
        case Role::FirstPage:
            return "first";
        case Role::SecondPage:
            return "second";
        case Role::Rings:
            return "rings";
    }
    return "";
}

// "within-bandwidth: A paged, B rings" for each problem, in the order found.
std::vector<std::string> Summary(const TonePlan& plan, const CheckResult& result) {
    std::vector<std::string> lines;
    for (const Problem& problem : result.problems) {
        std::string line = std::string(KindKey(problem.kind)) + ":";
        for (const ProblemPart& part : problem.parts)
            line += (line.back() == ':' ? " " : ", ") + plan.pagers[part.pager].label + "/" +
                    std::to_string(plan.pagers[part.pager].addresses[part.address].number) + " " +
                    std::string(RoleText(part.role));
        lines.push_back(line);
    }
    return lines;
}

std::vector<std::string> Check(const std::vector<PagerOnPlan>& pagers,
                               const std::vector<CallPair>& shared = {}) {
    const TonePlan plan = Plan(pagers);
    return Summary(plan, CheckPlan(plan, shared));
}

using Lines = std::vector<std::string>;

TEST(DecodesTest, InsideTheBandwidthButNotOnItsEdge) {
    struct Case {
        std::uint16_t heard, own;
        int bandwidth;
        bool decodes;
    };
    // 1000.0 Hz at 1.5 %: the edges are 985.0 and 1015.0 exactly.
    const std::vector<Case> cases{
        {10000, 10000, 15, true}, {10149, 10000, 15, true}, {10150, 10000, 15, false},
        {9851, 10000, 15, true},  {9850, 10000, 15, false}, {10002, 10000, 1, true},
        {10010, 10000, 1, false}, {10309, 10000, 31, true}, {10310, 10000, 31, false},
        {3586, 3589, 1, true},  // the near-twins of the table, 0.08 % apart
        {3589, 3586, 1, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Decodes(c.heard, c.own, c.bandwidth), c.decodes)
            << c.heard << " for " << c.own << " at " << c.bandwidth;
}

TEST(SameAddressTest, OneProblemPerAddressNamingEveryHolder) {
    struct Case {
        std::string name;
        std::vector<PagerOnPlan> pagers;
        std::vector<CallPair> shared;
        Lines problems;
    };
    const std::vector<Case> cases{
        {"two pagers",
         {{"A", {{6009, 6345}}}, {"B", {{6009, 6345}}}},
         {},
         {"same-address: A/1 holds, B/1 holds"}},
        {"three pagers, another call slot",
         {{"A", {{6009, 6345}}}, {"B", {{7073, 7468}, {6009, 6345}}}, {"C", {{6009, 6345}}}},
         {},
         {"same-address: A/1 holds, B/2 holds, C/1 holds"}},
        {"one pager, two calls: it rings either way",
         {{"A", {{6009, 6345}, {6009, 6345}}}, {"B", {{7073, 7468}}}},
         {},
         {}},
        {"the reversed pair is another address",
         {{"A", {{6009, 6345}}}, {"B", {{6345, 6009}}}},
         {},
         // ... but paging one pager twice rings the other
         {"stacked-page: B/1 first, B/1 second, A/1 rings",
          "stacked-page: A/1 first, A/1 second, B/1 rings"}},
        {"shared on purpose",
         {{"A", {{6009, 6345}}}, {"B", {{6009, 6345}}}, {"C", {{6009, 6345}}}},
         {{6009, 6345}},
         {}},
        {"shared, and a pager beside it still collides",
         {{"A", {{6009, 6345}}}, {"B", {{6009, 6345}}}, {"C", {{6026, 6345}}}},
         {{6009, 6345}},
         {"within-bandwidth: A/1 paged, B/1 paged, C/1 rings",
          "within-bandwidth: C/1 paged, A/1 rings, B/1 rings"}},
    };
    for (const Case& c : cases) EXPECT_EQ(Check(c.pagers, c.shared), c.problems) << c.name;
}

TEST(SameAddressTest, EachHolderSaysItNamingTheOthers) {
    const TonePlan three = Plan({{"A", {{6009, 6345}}},
                                 {"B", {{6009, 6345}, {7073, 7468}, {6009, 6345}}},
                                 {"C", {{6009, 6345}}}});
    const CheckResult result = CheckPlan(three);
    ASSERT_EQ(result.problems.size(), 1u);
    EXPECT_EQ(
        SameAddressByHolder(three, result.problems[0]),
        (Lines{"'A' (call 1) has the same address 600.9 (Mot 2, 1) / 634.5 (Mot 2, 2) as 'B' "
               "(call 1 and call 3) and 'C' (call 1): all 3 ring on one page.",
               "'B' (call 1 and call 3) has the same address 600.9 (Mot 2, 1) / 634.5 (Mot 2, 2) "
               "as 'A' (call 1) and 'C' (call 1): all 3 ring on one page.",
               "'C' (call 1) has the same address 600.9 (Mot 2, 1) / 634.5 (Mot 2, 2) as 'A' "
               "(call 1) and 'B' (call 1 and call 3): all 3 ring on one page."}));

    // Nine holders: each names five of the other eight and counts the rest.
    std::vector<PagerOnPlan> nine;
    for (char label = 'A'; label <= 'I'; ++label) nine.push_back({{label}, {{6009, 6345}}});
    const TonePlan many = Plan(nine);
    const Lines texts = SameAddressByHolder(many, CheckPlan(many).problems.at(0));
    ASSERT_EQ(texts.size(), 9u);
    EXPECT_EQ(texts[0],
              "'A' (call 1) has the same address 600.9 (Mot 2, 1) / 634.5 (Mot 2, 2) as 'B' (call "
              "1), 'C' (call 1), 'D' (call 1), 'E' (call 1), 'F' (call 1) and 3 more pagers: all 9 "
              "ring on one page.");
    EXPECT_EQ(texts[8],
              "'I' (call 1) has the same address 600.9 (Mot 2, 1) / 634.5 (Mot 2, 2) as 'A' (call "
              "1), 'B' (call 1), 'C' (call 1), 'D' (call 1), 'E' (call 1) and 3 more pagers: all 9 "
              "ring on one page.");
}

TEST(SharedAddressTest, HoldersAreListedOnceInTheSummary) {
    const TonePlan plan =
        Plan({{"A", {{6009, 6345}}}, {"B", {{7073, 7468}}}, {"C", {{6009, 6345}}}});
    const CheckResult result = CheckPlan(plan, {{6009, 6345}, {15135, 15552}});
    ASSERT_EQ(result.shared.size(), 2u);
    EXPECT_EQ(result.shared[0].holders,
              (std::vector<ProblemPart>{{0, 0, Role::Holder}, {2, 0, Role::Holder}}));
    EXPECT_TRUE(result.shared[1].holders.empty());
    EXPECT_TRUE(result.problems.empty());
}

TEST(WithinBandwidthTest, ThePagerWhoseBandwidthHoldsThePageRings) {
    // B listens at 1000.0 / 1500.0 with 1.5 %; A at 0.1 % never takes B's page.
    struct Case {
        CallPair a;
        Lines problems;
    };
    const std::vector<Case> cases{
        {{10149, 15000}, {"within-bandwidth: A/1 paged, B/1 rings"}},  // TONE1 just inside, above
        {{10150, 15000}, {}},                                          // on the edge: outside
        {{9851, 15000}, {"within-bandwidth: A/1 paged, B/1 rings"}},   // just inside, below
        {{9850, 15000}, {}},
        {{10000, 15224}, {"within-bandwidth: A/1 paged, B/1 rings"}},  // TONE2 just inside
        {{10000, 15225}, {}},
        {{10100, 15300}, {}},  // TONE1 inside, TONE2 outside: no page
    };
    for (const Case& c : cases)
        EXPECT_EQ(Check({{"A", {c.a}, 1}, {"B", {{10000, 15000}}, 15}}), c.problems)
            << c.a.tone1 << "/" << c.a.tone2;

    // The same pair of pagers at one bandwidth: each rings on the other's page.
    EXPECT_EQ(Check({{"A", {{10100, 15000}}, 15}, {"B", {{10000, 15000}}, 15}}),
              (Lines{"within-bandwidth: B/1 paged, A/1 rings",
                     "within-bandwidth: A/1 paged, B/1 rings"}));
}

TEST(WithinBandwidthTest, TheTablesNearTwinsCollideEvenAtTheNarrowestBandwidth) {
    const TonePlan plan = Plan({{"Engine 4", {{3586, 6009}}, 1}, {"Medic 9", {{3589, 6009}}, 1}});
    const CheckResult result = CheckPlan(plan);
    EXPECT_EQ(Summary(plan, result),
              (Lines{"within-bandwidth: Engine 4/1 paged, Medic 9/1 rings",
                     "within-bandwidth: Medic 9/1 paged, Engine 4/1 rings"}));
    EXPECT_EQ(result.problems[0].detail,
              "'Medic 9' (call 1, ±0.1%) rings on the page of 'Engine 4' (call 1): 358.6 (Mot 4, "
              "2) / 600.9 (Mot 2, 1) is 0.08% and 0.00% from its own 358.9 (Mot A, 0) / 600.9 "
              "(Mot 2, 1), within its bandwidth. The page's 1 s TONE1 and 3 s TONE2 are long "
              "enough for it: its Tone1 and Tone2 durations, less their limits, are 0.2 s and 0.2 "
              "s.");
    EXPECT_EQ(result.problems[0].tones, (std::vector<std::uint16_t>{3586, 3589, 6009}));
}

TEST(StackedPageTest, OnePagesTone2AndTheNextPagesTone1FormAThirdAddress) {
    // Z listens at 1000.0 / 1500.0 with 1.5 %.
    const PagerOnPlan z{"Z", {{10000, 15000}}, 15};
    struct Case {
        std::string name;
        std::vector<PagerOnPlan> pagers;
        Lines problems;
    };
    const std::vector<Case> cases{
        {"X then Y, exactly Z's tones",
         {{"X", {{6009, 10000}}}, {"Y", {{15000, 6345}}}, z},
         {"stacked-page: X/1 first, Y/1 second, Z/1 rings"}},
        {"Y then X, in the other order",
         {{"X", {{15000, 6345}}}, {"Y", {{6009, 10000}}}, z},
         {"stacked-page: Y/1 first, X/1 second, Z/1 rings"}},
        {"X's TONE2 just inside Z's bandwidth, above",
         {{"X", {{6009, 10149}}}, {"Y", {{15000, 6345}}}, z},
         {"stacked-page: X/1 first, Y/1 second, Z/1 rings"}},
        {"X's TONE2 on the edge", {{"X", {{6009, 10150}}}, {"Y", {{15000, 6345}}}, z}, {}},
        {"X's TONE2 just inside, below",
         {{"X", {{6009, 9851}}}, {"Y", {{15000, 6345}}}, z},
         {"stacked-page: X/1 first, Y/1 second, Z/1 rings"}},
        {"Y's TONE1 on the lower edge", {{"X", {{6009, 10000}}}, {"Y", {{14775, 6345}}}, z}, {}},
        {"the address is Y's own other call: Y is paged anyway",
         {{"X", {{6009, 10000}}}, {"Y", {{15000, 6345}, {10000, 15000}}}},
         {}},
        {"two calls of one pager back to back",
         {{"X", {{6009, 10000}, {15000, 6345}}}, z},
         {"stacked-page: X/1 first, X/2 second, Z/1 rings"}},
    };
    for (const Case& c : cases) EXPECT_EQ(Check(c.pagers), c.problems) << c.name;
}

TEST(StackedPageTest, TheParagraphNamesBothPagesAndThePagerThatRings) {
    const TonePlan plan = Plan({{"Engine 1", {{6009, 6345}}},
                                {"Engine 2", {{7073, 7468}}},
                                {"Medic 3", {{6345, 7073}}, 21}});
    const CheckResult result = CheckPlan(plan);
    ASSERT_EQ(result.problems.size(), 1u);
    EXPECT_EQ(result.problems[0].detail,
              "'Medic 3' (call 1, ±2.1%, gap limit 500 ms) rings when a page of 'Engine 1' (call "
              "1) is followed by a page of 'Engine 2' (call 1): the first ends with 634.5 (Mot 2, "
              "2), the second starts with 707.3 (Mot 2, 4), and that is its address 634.5 (Mot 2, "
              "2) / 707.3 (Mot 2, 4) (0.00% and 0.00% apart, within its bandwidth) when the "
              "second page starts within its gap limit. The first page's 3 s TONE2 and the "
              "second's 1 s TONE1 are long enough for it: its Tone1 and Tone2 durations, less "
              "their limits, are 0.2 s and 0.2 s.");
    EXPECT_EQ(result.problems[0].Pagers(), (std::vector<std::size_t>{0, 1, 2}));
}

TEST(GroupToneTest, AGroupToneWithinItsBandwidthOfAnotherPagersTone1) {
    struct Case {
        std::string name;
        std::vector<PagerOnPlan> pagers;
        Lines problems;
    };
    // G's group tone 1000.0 Hz with 1.5 %, and a group-call duration of 1 s,
    // so a page's 1 s TONE1 is long enough for it.
    const ToneTimes oneSecond{3, 1, 3, 1, 10};
    const std::vector<Case> cases{
        {"equal",
         {{"X", {{10000, 6009}}}, {"G", {}, 15, {10000}, oneSecond}},
         {"group-tone: X/1 paged, G/1 rings"}},
        {"just inside",
         {{"X", {{10149, 6009}}}, {"G", {}, 15, {10000}, oneSecond}},
         {"group-tone: X/1 paged, G/1 rings"}},
        {"on the edge", {{"X", {{10150, 6009}}}, {"G", {}, 15, {10000}, oneSecond}}, {}},
        {"just inside below",
         {{"X", {{9851, 6009}}}, {"G", {}, 15, {10000}, oneSecond}},
         {"group-tone: X/1 paged, G/1 rings"}},
        {"TONE2 is not checked", {{"X", {{6009, 10000}}}, {"G", {}, 15, {10000}, oneSecond}}, {}},
        {"its own TONE1", {{"G", {{10000, 6009}}, 15, {10000}, oneSecond}}, {}},
        {"a group tone every pager holds",
         {{"A", {{6009, 6345}}, 15, {10000}, oneSecond},
          {"B", {{7073, 7468}}, 15, {10000}, oneSecond}},
         {}},
    };
    for (const Case& c : cases) EXPECT_EQ(Check(c.pagers), c.problems) << c.name;
}

// A decoder takes a tone only once it has lasted its duration less its limit
// (a group call: its duration); a page's tones last 1 s, 3 s and 8 s, or as
// long as the pager paged needs them.
TEST(DurationsTest, APageTooShortForADecoderSetsItOffNever) {
    struct Case {
        std::string name;
        std::vector<PagerOnPlan> pagers;
        Lines problems;
    };
    const auto times = [](int len1, int limit1, int len2, int limit2, int group) {
        return ToneTimes{len1, limit1, len2, limit2, group};
    };
    const std::vector<Case> cases{
        {"a 10 s group call is not set off by a 1 s TONE1",
         {{"X", {{10000, 6009}}}, {"G", {}, 15, {10000}, times(3, 1, 3, 1, 100)}},
         {}},
        {"the default 5 s group call neither",
         {{"X", {{10000, 6009}}}, {"G", {}, 15, {10000}}},
         {}},
        {"a 1.1 s group call neither",
         {{"X", {{10000, 6009}}}, {"G", {}, 15, {10000}, times(3, 1, 3, 1, 11)}},
         {}},
        {"a TONE1 paged for 2 s sets off a 2 s group call",
         {{"X", {{10000, 6009}}, 15, {}, times(20, 1, 3, 1, 50)},
          {"G", {}, 15, {10000}, times(3, 1, 3, 1, 20)}},
         {"group-tone: X/1 paged, G/1 rings"}},
        {"within bandwidth: a Tone1 of 1.5 s less 0.4 s is longer than the 1 s TONE1",
         {{"A", {{10100, 15000}}, 1}, {"B", {{10000, 15000}}, 15, {}, times(15, 4, 3, 1, 50)}},
         {}},
        {"within bandwidth: 1.5 s less 0.5 s is just long enough",
         {{"A", {{10100, 15000}}, 1}, {"B", {{10000, 15000}}, 15, {}, times(15, 5, 3, 1, 50)}},
         {"within-bandwidth: A/1 paged, B/1 rings"}},
        {"within bandwidth: a Tone2 of 4 s less 0.9 s is longer than the 3 s TONE2",
         {{"A", {{10100, 15000}}, 1}, {"B", {{10000, 15000}}, 15, {}, times(3, 1, 40, 9, 50)}},
         {}},
        {"within bandwidth: A is paged with a 1.5 s TONE1, long enough for B",
         {{"A", {{10100, 15000}}, 1, {}, times(15, 1, 3, 1, 50)},
          {"B", {{10000, 15000}}, 15, {}, times(15, 4, 3, 1, 50)}},
         {"within-bandwidth: A/1 paged, B/1 rings"}},
        {"stacked: Z's Tone1 of 4 s less 0.5 s outlasts X's 3 s TONE2",
         {{"X", {{6009, 10000}}},
          {"Y", {{15000, 6345}}},
          {"Z", {{10000, 15000}}, 15, {}, times(40, 5, 3, 1, 50)}},
         {}},
        {"stacked: X is paged with a 4 s TONE2",
         {{"X", {{6009, 10000}}, 15, {}, times(3, 1, 40, 1, 50)},
          {"Y", {{15000, 6345}}},
          {"Z", {{10000, 15000}}, 15, {}, times(40, 5, 3, 1, 50)}},
         {"stacked-page: X/1 first, Y/1 second, Z/1 rings"}},
        {"stacked: Z's Tone2 of 1.2 s less 0.1 s outlasts Y's 1 s TONE1",
         {{"X", {{6009, 10000}}},
          {"Y", {{15000, 6345}}},
          {"Z", {{10000, 15000}}, 15, {}, times(3, 1, 12, 1, 50)}},
         {}},
    };
    for (const Case& c : cases) EXPECT_EQ(Check(c.pagers), c.problems) << c.name;

    // The paragraph says the lengths weighed.
    const TonePlan plan = Plan({{"X", {{10000, 6009}}, 15, {}, times(20, 1, 3, 1, 50)},
                                {"G", {}, 15, {10000}, times(3, 1, 3, 1, 20)}});
    EXPECT_EQ(
        CheckPlan(plan).problems.at(0).detail,
        "'G' (group call 1, ±1.5%) takes the TONE1 of a page of 'X' (call 1), 1000.0 (not "
        "standard), for its group tone 1000.0 (not standard) (0.00% apart, within its bandwidth). "
        "The page's 2 s TONE1 is long enough for its group-call duration of 2 s.");
}

TEST(CheckPlanTest, TheMostSeriousProblemsComeFirst) {
    const TonePlan plan = Plan({
        {"G", {{3305, 3685}}, 15, {10000}, {3, 1, 3, 1, 10}},  // group tone heard in D's TONE1
        {"D", {{10000, 6009}}},
        {"A", {{7073, 7468}}},
        {"B", {{7073, 7468}}},      // same address as A
        {"C", {{4108, 4579}}, 31},  // takes E's page
        {"E", {{4116, 4579}}, 1},
    });
    std::vector<ProblemKind> kinds;
    for (const Problem& problem : CheckPlan(plan).problems) kinds.push_back(problem.kind);
    EXPECT_EQ(kinds,
              (std::vector<ProblemKind>{ProblemKind::SameAddress, ProblemKind::WithinBandwidth,
                                        ProblemKind::GroupTone}));
}

}  // namespace
}  // namespace mk843nb::tones
