#include "tones_chart/chart_layout.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <unordered_map>

#include "tones/plan_summary.h"
#include "tones/tone_names.h"

namespace mk843nb::tones {
namespace {

constexpr double kMarginLeft = 64;
constexpr double kMarginRight = 16;
constexpr double kMarginTop = 34;
constexpr double kMarginBottom = 96;
constexpr double kGroupStripTop = 34;  // under the plot: tick labels first
constexpr double kGroupStripHeight = 26;
constexpr double kTickLabelGap = 44;  // pixels between two labelled ticks
constexpr double kPointRadius = 3;
constexpr double kLabelGap = 6;
constexpr double kEdge = 1.04;  // the axes reach this far past the outermost tones

// Rectangles in cells of a grid, so placing a label looks only at its neighbours.
class RectGrid {
public:
    explicit RectGrid(double cell) : cell_(cell) {}

    void Add(const ChartRect& rect) {
        const std::size_t index = rects_.size();
        rects_.push_back(rect);
        ForCells(rect, [&](long long key) { cells_[key].push_back(index); });
    }
    bool Hits(const ChartRect& rect) const {
        bool hit = false;
        ForCells(rect, [&](long long key) {
            if (hit) return;
            const auto found = cells_.find(key);
            if (found == cells_.end()) return;
            for (std::size_t index : found->second)
                if (rects_[index].Overlaps(rect)) {
                    hit = true;
                    return;
                }
        });
        return hit;
    }

private:
    template <typename F>
    void ForCells(const ChartRect& rect, F&& f) const {
        const long long x0 = static_cast<long long>(std::floor(rect.left / cell_));
        const long long x1 = static_cast<long long>(std::floor(rect.Right() / cell_));
        const long long y0 = static_cast<long long>(std::floor(rect.top / cell_));
        const long long y1 = static_cast<long long>(std::floor(rect.Bottom() / cell_));
        for (long long x = x0; x <= x1; ++x)
            for (long long y = y0; y <= y1; ++y) f(x * 1000003LL + y);
    }

    double cell_;
    std::vector<ChartRect> rects_;
    std::unordered_map<long long, std::vector<std::size_t>> cells_;
};

double Fraction(const ChartLayout& layout, double tone) {
    return (std::log(tone) - std::log(layout.lowTone)) /
           (std::log(layout.highTone) - std::log(layout.lowTone));
}

std::vector<ChartTick> Ticks(const ChartLayout& layout, bool across) {
    std::vector<ChartTick> ticks;
    double lastLabelled = -1e9;
    for (std::uint16_t tone : StandardValues()) {
        if (tone < layout.lowTone || tone > layout.highTone) continue;
        ChartTick tick{tone, across ? ChartX(layout, tone) : ChartY(layout, tone), {}};
        if (std::abs(tick.at - lastLabelled) >= kTickLabelGap) {
            tick.text = std::to_string(static_cast<int>(std::lround(tone / 10.0)));
            lastLabelled = tick.at;
        }
        ticks.push_back(std::move(tick));
    }
    return ticks;
}

// The bandwidth a decoder with its own tone `tone` answers within, on an axis.
std::pair<double, double> BandEnds(std::uint16_t tone, int bandwidth) {
    const double share = bandwidth / 1000.0;
    return {tone * (1.0 - share), tone * (1.0 + share)};
}

std::string AddressLabel(const PlanPager& pager, const Address& address) {
    if (address.kind == AddressKind::Call && address.number == 1) return pager.label;
    return pager.label + " (" + address.Name() + ")";
}

struct LabelWish {
    std::string text;
    ChartSpot at;
    bool red = false;
    ChartRect within;  // where the label must stay
};

}  // namespace

bool ChartRect::Overlaps(const ChartRect& other) const {
    return left < other.Right() && other.left < Right() && top < other.Bottom() &&
           other.top < Bottom();
}

bool ChartRect::Contains(double x, double y) const {
    return x >= left && x <= Right() && y >= top && y <= Bottom();
}

double ChartX(const ChartLayout& layout, double tone) {
    return layout.plot.left + layout.plot.width * Fraction(layout, tone);
}

double ChartY(const ChartLayout& layout, double tone) {
    return layout.plot.Bottom() - layout.plot.height * Fraction(layout, tone);
}

ChartLayout LayoutChart(const TonePlan& plan, const CheckResult& check, ChartSize size) {
    ChartLayout layout;
    size.width = std::clamp(size.width, kChartMinWidth, kChartMaxSide);
    size.height = std::clamp(size.height, kChartMinHeight, kChartMaxSide);
    layout.size = size;
    layout.plot = {kMarginLeft, kMarginTop, size.width - kMarginLeft - kMarginRight,
                   size.height - kMarginTop - kMarginBottom};
    layout.groupStrip = {layout.plot.left, layout.plot.Bottom() + kGroupStripTop, layout.plot.width,
                         kGroupStripHeight};

    // Both axes cover the standard table and every tone of the plan.
    double low = StandardValues().front();
    double high = StandardValues().back();
    for (const PlanPager& pager : plan.pagers)
        for (const Address& address : pager.addresses)
            for (std::uint16_t tone : {address.tone1, address.tone2})
                if (tone != 0) {
                    low = std::min<double>(low, tone);
                    high = std::max<double>(high, tone);
                }
    layout.lowTone = low / kEdge;
    layout.highTone = high * kEdge;
    layout.xTicks = Ticks(layout, true);
    layout.yTicks = Ticks(layout, false);

    const std::set<std::pair<std::size_t, std::size_t>> red = AddressesInProblems(check);
    std::set<CallPair> shared;
    for (const SharedAddress& entry : check.shared) shared.insert(entry.pair);

    std::map<std::pair<std::size_t, std::size_t>, ChartSpot> spots;
    // One label for each place on the chart, naming the first holder.
    std::map<CallPair, std::size_t> wishAt;
    std::map<std::uint16_t, std::size_t> groupWishAt;
    std::vector<LabelWish> wishes;
    std::vector<std::size_t> holders;
    for (std::size_t p = 0; p < plan.pagers.size(); ++p) {
        const PlanPager& pager = plan.pagers[p];
        for (std::size_t a = 0; a < pager.addresses.size(); ++a) {
            const Address& address = pager.addresses[a];
            const bool isRed = red.count({p, a}) != 0;
            const auto [x0, x1] = BandEnds(address.tone1, pager.bandwidth);
            std::size_t wish = 0;
            if (address.kind == AddressKind::Group) {
                ChartGroupMark mark;
                mark.pager = p;
                mark.address = a;
                mark.at = {ChartX(layout, address.tone1),
                           layout.groupStrip.top + layout.groupStrip.height / 2};
                mark.box = {ChartX(layout, x0), layout.groupStrip.top + 3,
                            ChartX(layout, x1) - ChartX(layout, x0), layout.groupStrip.height - 6};
                mark.red = isRed;
                spots[{p, a}] = mark.at;
                layout.groups.push_back(mark);
                const auto [found, added] = groupWishAt.try_emplace(address.tone1, wishes.size());
                if (added)
                    wishes.push_back(
                        {AddressLabel(pager, address), mark.at, isRed, layout.groupStrip});
                wish = found->second;
            } else {
                ChartPoint point;
                point.pager = p;
                point.address = a;
                point.at = {ChartX(layout, address.tone1), ChartY(layout, address.tone2)};
                const auto [y0, y1] = BandEnds(address.tone2, pager.bandwidth);
                point.box = {ChartX(layout, x0), ChartY(layout, y1),
                             ChartX(layout, x1) - ChartX(layout, x0),
                             ChartY(layout, y0) - ChartY(layout, y1)};
                point.red = isRed;
                const CallPair pair{address.tone1, address.tone2};
                point.shared = shared.count(pair) != 0;
                spots[{p, a}] = point.at;
                layout.points.push_back(point);
                const auto [found, added] = wishAt.try_emplace(pair, wishes.size());
                if (added)
                    wishes.push_back({AddressLabel(pager, address), point.at, isRed, layout.plot});
                wish = found->second;
            }
            if (holders.size() <= wish) holders.resize(wish + 1, 0);
            ++holders[wish];
            wishes[wish].red = wishes[wish].red || isRed;
        }
    }
    for (std::size_t i = 0; i < wishes.size(); ++i)
        if (holders[i] > 1) wishes[i].text += " +" + std::to_string(holders[i] - 1);

    for (const Problem& problem : check.problems) {
        if (problem.kind != ProblemKind::StackedPage) continue;
        ChartStack stack;
        std::uint16_t a = 0, b = 0;
        for (const ProblemPart& part : problem.parts) {
            const Address& address = plan.pagers[part.pager].addresses[part.address];
            if (part.role == Role::FirstPage) {
                stack.first.push_back(spots[{part.pager, part.address}]);
                a = address.tone2;
            } else if (part.role == Role::SecondPage) {
                stack.second.push_back(spots[{part.pager, part.address}]);
                b = address.tone1;
            }
        }
        if (stack.first.empty() || stack.second.empty()) continue;
        stack.formed = {ChartX(layout, a), ChartY(layout, b)};
        layout.stacks.push_back(std::move(stack));
    }

    std::size_t stackLines = 0;
    for (const ChartStack& stack : layout.stacks)
        stackLines += stack.first.size() + stack.second.size();
    if (stackLines > kChartMaxStackLines) {
        for (ChartStack& stack : layout.stacks) {
            stack.first.clear();
            stack.second.clear();
        }
        layout.stackLinesLeftOut = true;
        const bool one = layout.stacks.size() == 1;
        layout.note = std::to_string(layout.stacks.size()) +
                      (one ? " stacked page, a cross" : " stacked pages, each a cross") +
                      " where the first page's TONE2 and the second's TONE1 meet (too many "
                      "lines to draw)";
    }

    // Greedy placement: the red ones first, then the rest in plan order; each
    // takes the first place around its point that covers no point and no label.
    const double charWidth = layout.CharWidth();
    const double labelHeight = layout.labelPixels + 2;
    RectGrid taken(48);
    for (const ChartPoint& point : layout.points)
        taken.Add({point.at.x - kPointRadius, point.at.y - kPointRadius, 2 * kPointRadius,
                   2 * kPointRadius});
    for (const ChartGroupMark& mark : layout.groups)
        taken.Add({mark.at.x - kPointRadius, mark.at.y - kPointRadius, 2 * kPointRadius,
                   2 * kPointRadius});
    std::stable_sort(wishes.begin(), wishes.end(),
                     [](const LabelWish& l, const LabelWish& r) { return l.red && !r.red; });
    for (const LabelWish& wish : wishes) {
        const double w = charWidth * static_cast<double>(wish.text.size());
        const double h = labelHeight;
        const double g = kLabelGap;
        const double x = wish.at.x;
        const double y = wish.at.y;
        const ChartRect candidates[] = {
            {x + g, y - h / 2, w, h}, {x - g - w, y - h / 2, w, h}, {x - w / 2, y - g - h, w, h},
            {x - w / 2, y + g, w, h}, {x + g, y - g - h, w, h},     {x - g - w, y - g - h, w, h},
            {x + g, y + g, w, h},     {x - g - w, y + g, w, h},
        };
        bool placed = false;
        for (const ChartRect& rect : candidates) {
            if (rect.left < wish.within.left || rect.Right() > wish.within.Right() ||
                rect.top < wish.within.top || rect.Bottom() > wish.within.Bottom())
                continue;
            // A little air around each label, so two never read as one.
            const ChartRect padded{rect.left - 2, rect.top - 1, rect.width + 4, rect.height + 2};
            if (taken.Hits(padded)) continue;
            taken.Add(padded);
            layout.labels.push_back({wish.text, rect, wish.red});
            placed = true;
            break;
        }
        if (!placed) ++layout.unlabelled;
    }

    layout.title = "Tone plan: " + PlanSummary(plan.pagers.size(), check, ", ", " (red)");
    return layout;
}

}  // namespace mk843nb::tones
