// In mk843nb-cli, page and tones chart are run by mk843nb-cli-media: their
// work is handed over once their arguments have been checked.

#include "cli/media_handover.h"
#include "cli/page_run.h"
#include "cli/tones_chart_run.h"

namespace mk843nb::cli {

void RunPage(const PageOptions&) { HandOverToMediaProgram(); }

void RunToneChart(const ChartOptions&) { HandOverToMediaProgram(); }

}  // namespace mk843nb::cli
