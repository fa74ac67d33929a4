#pragma once

#include <string>
#include <vector>

#include "cli/shell_path.h"
#include "tones_chart/chart_layout.h"

namespace mk843nb::cli {

struct ChartOptions {
    std::vector<std::string> paths;
    std::vector<std::string> shared;
    ShellPath out;
    tones::ChartSize size;
};

// tones chart's work: the plan checked, laid out, drawn and written. Drawing
// needs Qt Gui, which the command line loads only for it: in mk843nb-cli this
// hands the command to mk843nb-cli-media, which runs it.
void RunToneChart(const ChartOptions& options);

}  // namespace mk843nb::cli
