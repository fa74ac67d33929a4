#pragma once

// The one drawing of the tone plan chart: what the layout says, with QPainter,
// on whatever device the caller holds (an SVG generator, an image, a widget).

#include "tones_chart/chart_layout.h"

class QPainter;

namespace mk843nb::tones {

// Draws the layout at its own size, from (0, 0). Needs a QGuiApplication (fonts).
void PaintChart(QPainter& painter, const ChartLayout& layout);

}  // namespace mk843nb::tones
