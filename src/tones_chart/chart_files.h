#pragma once

// The tone plan chart as a file: SVG through Qt SVG, PNG through QImage. The
// bytes are made in memory first, so the caller writes them through the atomic
// writer and a failure leaves no part of a file.

#include <filesystem>
#include <optional>
#include <string>

#include "tones_chart/chart_layout.h"

namespace mk843nb::tones {

enum class ChartFormat { Svg, Png };

// By the name's extension, in any case: ".svg", ".png"; nullopt for any other.
std::optional<ChartFormat> ChartFormatOf(const std::filesystem::path& path);

// The chart drawn by PaintChart as the file's bytes; "" when the toolkit
// could not make them. Needs a QGuiApplication.
std::string ChartFileBytes(const ChartLayout& layout, ChartFormat format);

}  // namespace mk843nb::tones
