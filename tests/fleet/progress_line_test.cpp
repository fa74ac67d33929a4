// The progress line of a fleet run.

#include "fleet_run/progress_line.h"

#include <gtest/gtest.h>

#include "fleet_run/fleet_screen.h"

namespace mk843nb::fleet {
namespace {

TEST(ProgressLineTest, DoneOfTotalEachBoardElapsedAndTimeLeft) {
    const RunSnapshot twoBoards{7,
                                24,
                                {{"/dev/ttyUSB0", "Engine 8", BoardDoing::Writing},
                                 {"/dev/ttyUSB1", "", BoardDoing::Idle}}};
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
        {{5, 6, {{"/tmp/board", "P 6", BoardDoing::Reading}}},
         10,
         1,
         10,
         "5/6 done | 'P 6' on /tmp/board: reading | 0:10 elapsed, about 0:10 left"},
        // A pager that takes longer than the pace so far: never a negative estimate.
        {{5, 6, {{"/tmp/board", "P 6", BoardDoing::Writing}}},
         25,
         1,
         10,
         "5/6 done | 'P 6' on /tmp/board: writing | 0:25 elapsed, about 0:00 left"},
        {{6, 6, {{"pts/3", "", BoardDoing::Idle}}},
         3725,
         6,
         3725,
         "6/6 done | pts/3: idle | 1:02:05 elapsed"},
        {{3, 9, {{"/dev/pts/4", "", BoardDoing::StoppedNotAnswering}}},
         30,
         3,
         30,
         "3/9 done | pts/4: stopped: the board does not answer | 0:30 elapsed, about 1:00 left"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ProgressLine(c.snapshot, c.elapsed, c.ended, c.lastEnded), c.line);
}

TEST(ProgressLineTest, FitsTheTerminalAndKeepsSayingWhichPagerIsOnWhichBoard) {
    const RunSnapshot two{7,
                          24,
                          {{"/dev/ttyUSB0", "Engine 8", BoardDoing::Writing},
                           {"/dev/ttyUSB1", "", BoardDoing::Idle}}};
    const RunSnapshot four{12,
                           45,
                           {{"/dev/ttyUSB0", "Station 12 north", BoardDoing::Writing},
                            {"/dev/ttyUSB1", "Station 13 south", BoardDoing::TestingBoard},
                            {"/dev/ttyUSB2", "", BoardDoing::Idle},
                            {"/dev/ttyUSB3", "", BoardDoing::StoppedNotAnswering}}};
    const RunSnapshot wide{1, 3, {{"/dev/ttyUSB0", "Früh 1 – Süd", BoardDoing::Reading}}};
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

// The same board state in a lane of the window and in the terminal's line.
TEST(ProgressLineTest, EachBoardStateSaysTheSameInALaneAndInTheLine) {
    struct Case {
        BoardActivity board;
        bool handsFree;
        std::string lane;
        int step;
        std::string inLine;  // the board's piece of the progress line, full and brief
        std::string brief;
    };
    const std::string p = "/dev/ttyUSB0";
    const std::vector<Case> cases{
        {{p, "", BoardDoing::Idle}, false, "idle", 0, "ttyUSB0: idle", "ttyUSB0: idle"},
        // A lane that takes its next pager on Go has none yet.
        {{p, "", BoardDoing::Waiting},
         false,
         "waiting for Go",
         0,
         "ttyUSB0: waiting",
         "ttyUSB0: waiting"},
        {{p, "E 1", BoardDoing::Waiting},
         false,
         "'E 1': waiting for Go",
         0,
         "'E 1' on ttyUSB0: waiting",
         "'E 1' on ttyUSB0: waiting"},
        {{p, "E 1", BoardDoing::Waiting},
         true,
         "waiting for 'E 1' to be placed",
         0,
         "'E 1' on ttyUSB0: waiting",
         "'E 1' on ttyUSB0: waiting"},
        {{p, "E 1", BoardDoing::WaitingForPager},
         true,
         "waiting for 'E 1' to be placed",
         0,
         "'E 1' on ttyUSB0: waiting for a pager",
         "'E 1' on ttyUSB0: waiting"},
        {{p, "E 1", BoardDoing::WaitingPagerDone},
         true,
         "'E 1': waiting: the pager on the board is done",
         0,
         "'E 1' on ttyUSB0: waiting: the pager on the board is done",
         "'E 1' on ttyUSB0: waiting"},
        {{p, "", BoardDoing::WaitingForTakeOff},
         true,
         "waiting for the pager to be taken off",
         0,
         "ttyUSB0: waiting for the pager to be taken off",
         "ttyUSB0: waiting"},
        {{p, "E 1", BoardDoing::TestingBoard},
         false,
         "'E 1': testing the board",
         1,
         "'E 1' on ttyUSB0: testing the board",
         "'E 1' on ttyUSB0: testing"},
        {{p, "E 1", BoardDoing::Reading},
         false,
         "'E 1': reading",
         2,
         "'E 1' on ttyUSB0: reading",
         "'E 1' on ttyUSB0: reading"},
        {{p, "E 1", BoardDoing::Writing},
         true,
         "'E 1': writing",
         3,
         "'E 1' on ttyUSB0: writing",
         "'E 1' on ttyUSB0: writing"},
        {{p, "E 1", BoardDoing::Verifying},
         false,
         "'E 1': verifying",
         kLaneSteps,
         "'E 1' on ttyUSB0: verifying",
         "'E 1' on ttyUSB0: verifying"},
        {{p, "", BoardDoing::Stopped}, false, "stopped", 0, "ttyUSB0: stopped", "ttyUSB0: stopped"},
        {{p, "", BoardDoing::StoppedNotAnswering},
         false,
         "stopped: the board does not answer",
         0,
         "ttyUSB0: stopped: the board does not answer",
         "ttyUSB0: stopped"},
        {{p, "", BoardDoing::Done}, false, "done", 0, "ttyUSB0: done", "ttyUSB0: done"},
    };
    for (const Case& c : cases) {
        const std::string what = c.lane + (c.handsFree ? " (hands-free)" : "");
        EXPECT_EQ(LaneText(c.board, c.handsFree), c.lane) << what;
        EXPECT_EQ(LaneStep(c.board), c.step) << what;
        const RunSnapshot one{0, 1, {c.board}};
        EXPECT_EQ(ProgressLine(one, 0, 0, 0), "0/1 done | " + c.inLine + " | 0:00 elapsed") << what;
        // Short of room: boards without a pager counted by their first word, and
        // then what a board with a pager does said in its first word.
        const std::string brief =
            "0/1 done | " +
            (c.board.label.empty() ? "1 " + DoingText(c.board.doing, true) : c.brief) + " | 0:00";
        EXPECT_EQ(ProgressLine(one, 0, 0, 0, static_cast<int>(Columns(brief)) + 1), brief) << what;
    }
}

}  // namespace
}  // namespace mk843nb::fleet
