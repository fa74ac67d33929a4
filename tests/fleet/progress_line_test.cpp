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
         "7/24 done | ttyUSB0: writing 'Engine 8' | ttyUSB1: idle | 1:02 elapsed, about 2:10 "
         "left"},
        // Nothing ended in this run yet: no estimate.
        {twoBoards, 3.4, 0, 0,
         "7/24 done | ttyUSB0: writing 'Engine 8' | ttyUSB1: idle | 0:03 elapsed"},
        // Pagers written before the run count as done, but the pace is this run's.
        {{5, 6, {{"/tmp/board", "P 6", "reading"}}},
         10,
         1,
         10,
         "5/6 done | /tmp/board: reading 'P 6' | 0:10 elapsed, about 0:10 left"},
        // A pager that takes longer than the pace so far: never a negative estimate.
        {{5, 6, {{"/tmp/board", "P 6", "writing"}}},
         25,
         1,
         10,
         "5/6 done | /tmp/board: writing 'P 6' | 0:25 elapsed, about 0:00 left"},
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

}  // namespace
}  // namespace mk843nb::fleet
