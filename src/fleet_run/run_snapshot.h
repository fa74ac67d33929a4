#pragma once

#include <string>
#include <vector>

namespace mk843nb::fleet {

// What a board is doing while a fleet runs.
enum class BoardDoing {
    Idle,
    Waiting,            // holds its next pager, not yet started (a prompt or Go ahead)
    WaitingForPager,    // hands-free, until a pager is placed
    WaitingPagerDone,   // hands-free, a pager this run wrote is on the board
    WaitingForTakeOff,  // hands-free, after a pager ended
    TestingBoard,
    Reading,
    Writing,
    Verifying,
    Stopped,              // the run stopped before this board's next pager
    StoppedNotAnswering,  // unattended, the board gave up: it no longer answers
    Done,                 // the run is over
};

struct BoardActivity {
    std::string port;
    std::string label;  // the pager on the board, "" when none
    BoardDoing doing = BoardDoing::Idle;
};

// What a board does in words: "writing", "stopped: the board does not answer".
// Brief, its first word only ("stopped").
std::string DoingText(BoardDoing doing, bool brief = false);

// Where a fleet run stands.
struct RunSnapshot {
    int done = 0;   // pagers ended (any result) in this run, and written before it
    int total = 0;  // pagers of the plan
    std::vector<BoardActivity> boards;
};

}  // namespace mk843nb::fleet
