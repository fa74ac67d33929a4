// Suggested addresses, checked again by the plan check itself.

#include "tones/plan_suggest.h"

#include <gtest/gtest.h>

#include <random>
#include <set>

#include "tones/plan_check.h"
#include "tones/tone_names.h"

namespace mk843nb::tones {
namespace {

// A service of `count` pagers with random standard pairs, random bandwidths
// and now and then a group tone: many collisions, as a plan grown by hand has.
TonePlan RandomPlan(int count, unsigned seed) {
    std::mt19937 random(seed);
    const std::vector<std::uint16_t>& values = StandardValues();
    std::uniform_int_distribution<std::size_t> tone(0, values.size() - 1);
    std::uniform_int_distribution<int> item(0, 15);
    TonePlan plan;
    for (int p = 0; p < count; ++p) {
        PlanPager pager{"P" + std::to_string(p), "", {}, 2 * item(random) + 1, 5, {}};
        const std::uint16_t first = values[tone(random)];
        std::uint16_t second = values[tone(random)];
        while (second == first) second = values[tone(random)];
        pager.addresses.push_back({AddressKind::Call, 1, first, second});
        if (p % 7 == 0) pager.addresses.push_back({AddressKind::Group, 1, values[tone(random)], 0});
        plan.pagers.push_back(std::move(pager));
    }
    return plan;
}

// The plan with each suggestion as a pager of its own, and every problem
// CheckPlan finds that involves one of them.
std::vector<std::string> ProblemsOfSuggestions(TonePlan plan, const Suggestions& suggestions) {
    const std::size_t first = plan.pagers.size();
    for (std::size_t i = 0; i < suggestions.pairs.size(); ++i) {
        const CallPair& pair = suggestions.pairs[i].pair;
        plan.pagers.push_back({"new " + std::to_string(i + 1),
                               "",
                               {{AddressKind::Call, 1, pair.tone1, pair.tone2}},
                               suggestions.bandwidth,
                               5,
                               {}});
    }
    std::vector<std::string> problems;
    for (const Problem& problem : CheckPlan(plan).problems)
        for (std::size_t pager : problem.Pagers())
            if (pager >= first) {
                problems.push_back(problem.detail);
                break;
            }
    return problems;
}

TEST(SuggestPairsTest, EverySuggestionPassesTheCheckAgainstThePlanAndTheOthers) {
    for (unsigned seed : {1u, 2u, 3u}) {
        const TonePlan plan = RandomPlan(40, seed);
        ASSERT_FALSE(CheckPlan(plan).problems.empty());  // a crowded plan
        const Suggestions suggestions = SuggestPairs(plan, {.count = 12});
        ASSERT_EQ(suggestions.pairs.size(), 12u) << seed;
        EXPECT_EQ(suggestions.bandwidth, 31) << "the widest of the plan";
        std::set<CallPair> distinct;
        for (const Suggestion& suggestion : suggestions.pairs) {
            EXPECT_TRUE(IsStandardTone(suggestion.pair.tone1));
            EXPECT_TRUE(IsStandardTone(suggestion.pair.tone2));
            distinct.insert(suggestion.pair);
        }
        EXPECT_EQ(distinct.size(), 12u);
        EXPECT_EQ(ProblemsOfSuggestions(plan, suggestions), std::vector<std::string>{}) << seed;
    }
}

// The suggestions' own test of a pair answers as the plan check does, for
// every pair of standard tones against small crowded plans.
TEST(SuggestPairsTest, AFreePairIsOneThePlanCheckFindsNoProblemWith) {
    const std::vector<std::uint16_t>& values = StandardValues();
    for (unsigned seed : {4u, 5u}) {
        const TonePlan plan = RandomPlan(25, seed);
        int free = 0;
        for (std::uint16_t first : values)
            for (std::uint16_t second : values) {
                if (first == second) continue;
                const CallPair pair{first, second};
                const bool isFree = IsFreePair(plan, pair, 15);
                Suggestions one{{{pair, 0.0}}, 15};
                const std::vector<std::string> problems = ProblemsOfSuggestions(plan, one);
                // Its own two tones inside its bandwidth is no plan problem, but no free pair.
                const bool ownTonesApart =
                    !Decodes(first, second, 15) && !Decodes(second, first, 15);
                ASSERT_EQ(isFree, problems.empty() && ownTonesApart)
                    << seed << ": " << first << "/" << second << " "
                    << (problems.empty() ? "" : problems.front());
                free += isFree;
            }
        EXPECT_GT(free, 1000) << seed;
        EXPECT_LT(free, 18000) << seed;
    }
}

TEST(SuggestPairsTest, AnEmptyPlanGetsPairsThatKeepClearOfEachOther) {
    const Suggestions suggestions = SuggestPairs({}, {.count = 40, .bandwidth = 15});
    ASSERT_EQ(suggestions.pairs.size(), 40u);
    EXPECT_EQ(suggestions.bandwidth, 15);
    EXPECT_EQ(ProblemsOfSuggestions({}, suggestions), std::vector<std::string>{});
}

TEST(SuggestPairsTest, TonesFarFromEveryToneInUseComeFirst) {
    TonePlan plan;
    plan.pagers.push_back({"A", "", {{AddressKind::Call, 1, 6009, 6345}}, 15, 5, {}});
    plan.pagers.push_back({"B", "", {{AddressKind::Call, 1, 7073, 7468}}, 15, 5, {}});
    const Suggestions suggestions = SuggestPairs(plan, {.count = 3});
    ASSERT_EQ(suggestions.pairs.size(), 3u);
    for (const Suggestion& suggestion : suggestions.pairs) {
        for (std::uint16_t used : {6009, 6345, 7073, 7468}) {
            EXPECT_NE(suggestion.pair.tone1, used);
            EXPECT_NE(suggestion.pair.tone2, used);
        }
        // 138 tones leave room for a clear few percent at the start.
        EXPECT_GT(suggestion.clearance, 3.0);
    }
    EXPECT_GE(suggestions.pairs[0].clearance, suggestions.pairs[2].clearance);
}

}  // namespace
}  // namespace mk843nb::tones
