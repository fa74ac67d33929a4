// The chart's geometry without pixels: points on log scales, bandwidth boxes,
// the red ones, stacked-page lines, group marks and labels that do not overlap.

#include "tones_chart/chart_layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>

#include "chart_plan.h"
#include "tones/plan_check.h"
#include "tones/tone_names.h"

namespace mk843nb::tones {
namespace {

const ChartPoint& PointOf(const ChartLayout& layout, std::size_t pager) {
    const auto found = std::find_if(layout.points.begin(), layout.points.end(),
                                    [&](const ChartPoint& p) { return p.pager == pager; });
    EXPECT_NE(found, layout.points.end()) << pager;
    return *found;
}

// Labels keep clear of each other, of every point and of the area they belong to.
void ExpectLabelsClear(const ChartLayout& layout) {
    for (std::size_t i = 0; i < layout.labels.size(); ++i) {
        const ChartRect& rect = layout.labels[i].rect;
        for (std::size_t j = i + 1; j < layout.labels.size(); ++j)
            EXPECT_FALSE(rect.Overlaps(layout.labels[j].rect))
                << layout.labels[i].text << " / " << layout.labels[j].text;
        for (const ChartPoint& point : layout.points)
            EXPECT_FALSE(rect.Contains(point.at.x, point.at.y)) << layout.labels[i].text;
        const bool inPlot = rect.left >= layout.plot.left && rect.Right() <= layout.plot.Right() &&
                            rect.top >= layout.plot.top && rect.Bottom() <= layout.plot.Bottom();
        const ChartRect& strip = layout.groupStrip;
        const bool inStrip = rect.left >= strip.left && rect.Right() <= strip.Right() &&
                             rect.top >= strip.top && rect.Bottom() <= strip.Bottom();
        EXPECT_TRUE(inPlot || inStrip) << layout.labels[i].text;
    }
}

TEST(ChartLayout, EveryAddressIsAPointOnLogScalesWithItsBandwidthBox) {
    const TonePlan plan = test::ChartPlan();
    const ChartLayout layout = LayoutChart(plan, CheckPlan(plan), {800, 600});
    ASSERT_EQ(layout.points.size(), 7u);  // every call, the group call apart
    ASSERT_EQ(layout.groups.size(), 1u);

    // TONE1 across, TONE2 up; a tone twice another lies the same distance further
    // along wherever it starts (log scale).
    const ChartPoint& first = PointOf(layout, 3);   // 1000.0 / 1500.0
    const ChartPoint& rings = PointOf(layout, 5);   // 1500.0 / 2000.0
    const ChartPoint& second = PointOf(layout, 4);  // 2000.0 / 800.0
    EXPECT_LT(first.at.x, rings.at.x);
    EXPECT_LT(rings.at.x, second.at.x);
    EXPECT_GT(first.at.y, rings.at.y);  // 1500 Hz is lower on the page than 2000 Hz
    EXPECT_NEAR(second.at.x - first.at.x, ChartX(layout, 8000) - ChartX(layout, 4000), 1e-6);
    EXPECT_NEAR(first.at.y, ChartY(layout, 15000), 1e-9);
    for (const ChartPoint& point : layout.points) {
        EXPECT_TRUE(layout.plot.Contains(point.at.x, point.at.y));
        EXPECT_TRUE(point.box.Contains(point.at.x, point.at.y));
    }

    // The box spans the pager's bandwidth: ±1.5 % around 1000.0 Hz across.
    EXPECT_NEAR(first.box.left, ChartX(layout, 9850), 1e-6);
    EXPECT_NEAR(first.box.Right(), ChartX(layout, 10150), 1e-6);
    EXPECT_NEAR(first.box.top, ChartY(layout, 15225), 1e-6);
    // ±3.1 % makes a wider box than ±1.5 %, whatever the tone.
    EXPECT_GT(PointOf(layout, 2).box.width, first.box.width * 2);

    // The group call sits on the strip under the TONE1 axis, at its tone.
    const ChartGroupMark& group = layout.groups[0];
    EXPECT_EQ(group.pager, 6u);
    EXPECT_NEAR(group.at.x, ChartX(layout, 12000), 1e-9);
    EXPECT_TRUE(layout.groupStrip.Contains(group.at.x, group.at.y));
    EXPECT_FALSE(group.red);

    // Tick marks at every standard tone; the labelled ones do not crowd.
    EXPECT_EQ(layout.xTicks.size(), StandardValues().size());
    EXPECT_EQ(layout.yTicks.size(), StandardValues().size());
    double last = -1e9;
    for (const ChartTick& tick : layout.xTicks) {
        EXPECT_NEAR(tick.at, ChartX(layout, tick.tone), 1e-9);
        if (tick.text.empty()) continue;
        EXPECT_GE(tick.at - last, 40) << tick.text;
        last = tick.at;
    }
}

TEST(ChartLayout, PagersInAProblemAreRedAndAStackedPageIsDrawnThroughZsBox) {
    const TonePlan plan = test::ChartPlan();
    const ChartLayout layout = LayoutChart(plan, CheckPlan(plan), {800, 600});
    const std::map<std::string, bool> red{{"north-1", true}, {"north-2", true}, {"clean", false},
                                          {"first", true},   {"second", true},  {"rings", true},
                                          {"siren", false}};
    for (const ChartPoint& point : layout.points)
        EXPECT_EQ(point.red, red.at(plan.pagers[point.pager].label))
            << plan.pagers[point.pager].label;

    ASSERT_EQ(layout.stacks.size(), 1u);
    const ChartStack& stack = layout.stacks[0];
    ASSERT_EQ(stack.first.size(), 1u);
    ASSERT_EQ(stack.second.size(), 1u);
    EXPECT_DOUBLE_EQ(stack.first[0].x, PointOf(layout, 3).at.x);
    EXPECT_DOUBLE_EQ(stack.second[0].x, PointOf(layout, 4).at.x);
    // X's TONE2 across, Y's TONE1 up: inside the box of Z, who rings.
    EXPECT_NEAR(stack.formed.x, ChartX(layout, 15000), 1e-9);
    EXPECT_NEAR(stack.formed.y, ChartY(layout, 20000), 1e-9);
    EXPECT_TRUE(PointOf(layout, 5).box.Contains(stack.formed.x, stack.formed.y));
    EXPECT_EQ(layout.title, "Tone plan: 7 pagers, 2 problems (red)");
}

TEST(ChartLayout, LabelsNameEachPlaceOnceAndNeverOverlap) {
    const TonePlan plan = test::ChartPlan();
    const ChartLayout layout = LayoutChart(plan, CheckPlan(plan), {800, 600});
    std::vector<std::string> texts;
    for (const ChartLabel& label : layout.labels) texts.push_back(label.text);
    std::sort(texts.begin(), texts.end());
    // One address held twice is one place: its first holder and how many more.
    EXPECT_EQ(texts, (std::vector<std::string>{"clean", "first", "north-1 +1", "rings", "second",
                                               "siren", "siren (group call 1)"}));
    EXPECT_EQ(layout.unlabelled, 0u);
    ExpectLabelsClear(layout);
    for (const ChartLabel& label : layout.labels)
        EXPECT_EQ(label.red, label.text != "clean" && label.text.rfind("siren", 0) != 0)
            << label.text;
}

TEST(ChartLayout, ACrowdedPlanLeavesLabelsOutRatherThanOverlapThem) {
    TonePlan plan;
    // Forty pagers a step of the standard table apart, around one corner.
    const std::vector<std::uint16_t>& values = StandardValues();
    for (std::size_t i = 0; i < 40; ++i)
        plan.pagers.push_back(test::ChartPager("pager-number-" + std::to_string(i),
                                               values[20 + i % 8], values[22 + i / 8]));
    const ChartLayout layout = LayoutChart(plan, CheckPlan(plan), {400, 300});
    EXPECT_EQ(layout.points.size(), 40u);
    EXPECT_GT(layout.unlabelled, 0u);
    EXPECT_EQ(layout.labels.size() + layout.unlabelled, 40u);
    ExpectLabelsClear(layout);
}

TEST(ChartLayout, TooManyStackedPageLinesLeaveTheCrossesAndSaySo) {
    // 1,100 pagers end with 1500.0 Hz and 1,000 start with 2000.0 Hz: any of the
    // first followed by any of the second pages the pager at 1500.0 / 2000.0,
    // 2,100 lines into one cross.
    TonePlan plan;
    Problem stacked{ProblemKind::StackedPage, {}, {15000, 20000}, "stacked"};
    for (std::uint16_t i = 0; i < 1100; ++i) {
        plan.pagers.push_back(test::ChartPager("x" + std::to_string(i),
                                               static_cast<std::uint16_t>(4000 + 10 * i), 15000));
        stacked.parts.push_back({plan.pagers.size() - 1, 0, Role::FirstPage});
    }
    for (std::uint16_t i = 0; i < 1000; ++i) {
        plan.pagers.push_back(test::ChartPager("y" + std::to_string(i), 20000,
                                               static_cast<std::uint16_t>(4000 + 10 * i)));
        stacked.parts.push_back({plan.pagers.size() - 1, 0, Role::SecondPage});
    }
    plan.pagers.push_back(test::ChartPager("z", 15000, 20000));
    stacked.parts.push_back({plan.pagers.size() - 1, 0, Role::Rings});
    CheckResult check;
    check.problems.push_back(stacked);
    const ChartLayout layout = LayoutChart(plan, check);
    ASSERT_EQ(layout.stacks.size(), 1u);
    EXPECT_TRUE(layout.stackLinesLeftOut);
    EXPECT_TRUE(layout.stacks[0].first.empty());
    EXPECT_TRUE(layout.stacks[0].second.empty());
    EXPECT_TRUE(
        layout.points.back().box.Contains(layout.stacks[0].formed.x, layout.stacks[0].formed.y));
    EXPECT_EQ(layout.note,
              "1 stacked page, a cross where the first page's TONE2 and the second's TONE1 meet "
              "(too many lines to draw)");

    // A plan with few keeps its lines and says nothing.
    const TonePlan small = test::ChartPlan();
    const ChartLayout few = LayoutChart(small, CheckPlan(small));
    EXPECT_FALSE(few.stackLinesLeftOut);
    EXPECT_EQ(few.note, "");
}

TEST(ChartLayout, TheCanvasKeepsRoomForTheAxesAndTheAxesReachEveryTone) {
    TonePlan plan;
    plan.pagers.push_back(test::ChartPager("low", 1000, 60000));  // outside the standard table
    const ChartLayout tiny = LayoutChart(plan, CheckPlan(plan), {10, 10});
    EXPECT_EQ(tiny.size.width, kChartMinWidth);
    EXPECT_EQ(tiny.size.height, kChartMinHeight);
    EXPECT_GT(tiny.plot.width, 0);
    EXPECT_GT(tiny.plot.height, 0);
    EXPECT_TRUE(tiny.plot.Contains(tiny.points[0].at.x, tiny.points[0].at.y));
    EXPECT_EQ(LayoutChart({}, {}, {}).title, "Tone plan: 0 pagers, no problems");
}

}  // namespace
}  // namespace mk843nb::tones
