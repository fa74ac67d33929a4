#pragma once

#include <string>

#include "fleet/run_snapshot.h"

namespace mk843nb::fleet {

// The one line a terminal shows while a fleet runs:
//   "7/24 done | ttyUSB0: writing 'Engine 8' | ttyUSB1: idle | 1:02 elapsed, about 2:40 left"
// The estimate comes once a pager has ended in this run: the pace up to the
// last pager that ended, times the pagers left, less the time since then (so
// it counts down while the boards work instead of growing).
std::string ProgressLine(const RunSnapshot& snapshot, double elapsedSeconds, int endedThisRun,
                         double lastEndedSeconds);

// A port as the user knows it: "/dev/ttyUSB0" is "ttyUSB0".
std::string ShortPortName(const std::string& port);

}  // namespace mk843nb::fleet
