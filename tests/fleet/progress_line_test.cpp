// The progress line of a fleet run.

#include "fleet/progress_line.h"

#include <gtest/gtest.h>

namespace mk843nb::fleet {
namespace {

TEST(ProgressLineTest, DoneOfTotalEachBoardElapsedAndTimeLeft) {
    const RunSnapshot twoBoards{
        7, 24, {{"/dev/ttyUSB0", "Engine 8", "writing"}, {"/dev/ttyUSB1", "", "idle"}}};
    struct Case {
        RunSnapshot snapshot;
        double elapsed;
        int ended;
        double lastEnded;
        std::string line;
    };
    const std::vector<Case> cases{
        // 7 pagers in 56 s: 8 s a pager, 17 left, 6 s of them gone since.
        {twoBoards, 62, 7, 56,
         "7/24 done | 'Engine 8' on ttyUSB0: writing | ttyUSB1: idle | 1:02 elapsed, about 2:10 "
         "left"},
        // Nothing ended in this run yet: no estimate.
        {twoBoards, 3.4, 0, 0,
         "7/24 done | 'Engine 8' on ttyUSB0: writing | ttyUSB1: idle | 0:03 elapsed"},
        // Pagers written before the run count as done, but the pace is this run's.
        {{5, 6, {{"/tmp/board", "P 6", "reading"}}},
         10,
         1,
         10,
         "5/6 done | 'P 6' on /tmp/board: reading | 0:10 elapsed, about 0:10 left"},
        // A pager that takes longer than the pace so far: never a negative estimate.
        {{5, 6, {{"/tmp/board", "P 6", "writing"}}},
         25,
         1,
         10,
         "5/6 done | 'P 6' on /tmp/board: writing | 0:25 elapsed, about 0:00 left"},
        {{6, 6, {{"pts/3", "", "idle"}}},
         3725,
         6,
         3725,
         "6/6 done | pts/3: idle | 1:02:05 elapsed"},
        {{3, 9, {{"/dev/pts/4", "", "stopped: the board does not answer"}}},
         30,
         3,
         30,
         "3/9 done | pts/4: stopped: the board does not answer | 0:30 elapsed, about 1:00 left"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ProgressLine(c.snapshot, c.elapsed, c.ended, c.lastEnded), c.line);
}

TEST(ProgressLineTest, FitsTheTerminalAndKeepsSayingWhichPagerIsOnWhichBoard) {
    const RunSnapshot two{
        7, 24, {{"/dev/ttyUSB0", "Engine 8", "writing"}, {"/dev/ttyUSB1", "", "idle"}}};
    const RunSnapshot four{12,
                           45,
                           {{"/dev/ttyUSB0", "Station 12 north", "writing"},
                            {"/dev/ttyUSB1", "Station 13 south", "testing the board"},
                            {"/dev/ttyUSB2", "", "idle"},
                            {"/dev/ttyUSB3", "", "stopped: the board does not answer"}}};
    const RunSnapshot wide{1, 3, {{"/dev/ttyUSB0", "Früh 1 – Süd", "reading"}}};
    struct Case {
        const RunSnapshot& snapshot;
        int columns;
        std::string line;
    };
    const std::vector<Case> cases{
        // 90 columns in full: the times are said shorter first.
        {two, 80, "7/24 done | 'Engine 8' on ttyUSB0: writing | ttyUSB1: idle | 1:02, 2:10 left"},
        // Then boards without a pager are counted.
        {two, 70, "7/24 done | 'Engine 8' on ttyUSB0: writing | 1 idle | 1:02, 2:10 left"},
        // Then what a board does, then the times and the boards without a pager.
        {two, 62, "7/24 done | 'Engine 8' on ttyUSB0 | 1 idle | 1:02, 2:10 left"},
        {two, 60, "7/24 done | 'Engine 8' on ttyUSB0 | 1 idle"},
        {two, 40, "7/24 done | 'Engine 8' on ttyUSB0"},
        {four, 80, "12/45 done | 'Station 12 north' on ttyUSB0 | 'Station 13 south' on ttyUSB1"},
        // Only then are labels shortened, keeping both ends.
        {four, 60, "12/45 done | 'Stat~rth' on ttyUSB0 | 'Stat~uth' on ttyUSB1"},
        {four, 40, "12/45 done | 'Stat~rth' on ttyUSB0"},
        // Narrower than the count and one board: only the cut is left.
        {two, 30, "7/24 done | 'Engine 8' on tty"},
        // Characters, not bytes, are counted.
        {wide, 40, "1/3 done | 'Früh 1 – Süd' on ttyUSB0"},
        // No width known to the caller: the whole line.
        {two, 0,
         "7/24 done | 'Engine 8' on ttyUSB0: writing | ttyUSB1: idle | 1:02 elapsed, about 2:10 "
         "left"},
    };
    for (const Case& c : cases) {
        const std::string line = &c.snapshot == &four
                                     ? ProgressLine(c.snapshot, 125, 12, 120, c.columns)
                                     : ProgressLine(c.snapshot, 62, 7, 56, c.columns);
        EXPECT_EQ(line, c.line) << c.columns;
        if (c.columns > 0) {
            EXPECT_LT(Columns(line), static_cast<std::size_t>(c.columns)) << line;
        }
    }
}

}  // namespace
}  // namespace mk843nb::fleet
