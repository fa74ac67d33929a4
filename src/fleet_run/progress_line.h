#pragma once

#include <cstddef>
#include <string>

#include "fleet_run/run_snapshot.h"

namespace mk843nb::fleet {

// The one line a terminal shows while a fleet runs, each pager named with its board:
//   "7/24 done | 'Engine 8' on ttyUSB0: writing | ttyUSB1: idle | 1:02 elapsed, about 2:10 left"
// The estimate comes once a pager has ended in this run: the pace up to the
// last pager that ended, times the pagers left, less the time since then (so
// it counts down while the boards work instead of growing).
// With columns > 0 the line is kept shorter than that many columns (a line
// as wide as the terminal would wrap): the times said shorter first, then
// boards without a pager counted instead of listed, then what each board does
// cut to its first word and then left out, then the times and the boards
// without a pager left out, then the longest labels shortened in their middle
// ("Stat~n 12") to eight columns, then the last boards left out, and only then
// the line cut.
std::string ProgressLine(const RunSnapshot& snapshot, double elapsedSeconds, int endedThisRun,
                         double lastEndedSeconds, int columns = 0);

// A port as the user knows it: "/dev/ttyUSB0" is "ttyUSB0".
std::string ShortPortName(const std::string& port);

// The columns UTF-8 text takes on a terminal (a character a column).
std::size_t Columns(const std::string& text);

}  // namespace mk843nb::fleet
