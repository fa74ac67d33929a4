#pragma once

// The tone plan chart as geometry: where every address, bandwidth box, line,
// tick and label goes on a canvas of a given size, and which are red. The
// painter only draws what this says, so the same picture goes to SVG, PNG and
// the window, and a test can check the chart without looking at pixels.
//
// TONE1 runs across and TONE2 up, both on log scales (a decoder's bandwidth is
// a percentage, so every box of one bandwidth has the same size). A group call
// has one tone: it is marked on a strip under the TONE1 axis, where it lines
// up with the TONE1 it can be taken for.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "tones/plan_check.h"
#include "tones/tone_plan.h"

namespace mk843nb::tones {

struct ChartRect {
    double left = 0, top = 0, width = 0, height = 0;
    double Right() const { return left + width; }
    double Bottom() const { return top + height; }
    bool Overlaps(const ChartRect& other) const;
    bool Contains(double x, double y) const;
};

struct ChartSpot {
    double x = 0, y = 0;
};

// An address of the plan: plan.pagers[pager].addresses[address].
struct ChartPoint {
    std::size_t pager = 0;
    std::size_t address = 0;
    ChartSpot at;
    ChartRect box;        // the pager's bandwidth around it
    bool red = false;     // in a problem
    bool shared = false;  // an address shared on purpose
};

// A group call's tone on the strip under the TONE1 axis, with its bandwidth.
struct ChartGroupMark {
    std::size_t pager = 0;
    std::size_t address = 0;
    ChartSpot at;
    ChartRect box;
    bool red = false;
};

// A stacked page: the pages whose TONE2 comes first lead to the sequence they
// form with the pages whose TONE1 follows, which lands in the bandwidth box of
// the pagers that ring.
struct ChartStack {
    ChartSpot formed;  // (first page's TONE2, second page's TONE1)
    std::vector<ChartSpot> first;
    std::vector<ChartSpot> second;
};

struct ChartTick {
    std::uint16_t tone = 0;
    double at = 0;     // x for the TONE1 axis, y for the TONE2 axis
    std::string text;  // "" when only a tick mark
};

struct ChartLabel {
    std::string text;
    ChartRect rect;
    bool red = false;
};

struct ChartSize {
    int width = 1200;
    int height = 900;
};

struct ChartLayout {
    ChartSize size;
    ChartRect plot;                    // the TONE1 x TONE2 area
    ChartRect groupStrip;              // the group tones, under the TONE1 axis
    double lowTone = 0, highTone = 0;  // the ends of both axes, tenths of a hertz
    std::string title;
    std::string xTitle = "TONE1 (Hz)";
    std::string yTitle = "TONE2 (Hz)";
    std::vector<ChartTick> xTicks, yTicks;  // at every standard tone in range
    std::vector<ChartPoint> points;         // every individual call
    std::vector<ChartGroupMark> groups;     // every group call
    std::vector<ChartStack> stacks;         // every stacked-page problem
    // More lines than kChartMaxStackLines would only paint the chart red: then
    // each stacked page is its cross alone, first and second left empty, and
    // the note says so.
    bool stackLinesLeftOut = false;
    std::string note;
    std::vector<ChartLabel> labels;  // placed without overlapping where they can be
    std::size_t unlabelled = 0;      // addresses with no room for a label
    double labelPixels = 11;         // the label font's pixel size
    // The width one character of a label takes: the labels are drawn in a
    // monospaced font, so the layout can measure them without the toolkit.
    double CharWidth() const { return labelPixels * 0.6; }
};

// The smallest canvas that still has room for the axes.
inline constexpr int kChartMinWidth = 320;
inline constexpr int kChartMinHeight = 240;
inline constexpr int kChartMaxSide = 8000;  // a PNG of 8000 x 8000 takes 256 MB to draw
inline constexpr std::size_t kChartMaxStackLines = 2000;

ChartLayout LayoutChart(const TonePlan& plan, const CheckResult& check, ChartSize size = {});

// The x of a tone on the TONE1 axis and the y on the TONE2 axis of a layout.
double ChartX(const ChartLayout& layout, double tone);
double ChartY(const ChartLayout& layout, double tone);

}  // namespace mk843nb::tones
