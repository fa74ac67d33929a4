#pragma once

#include <string>
#include <vector>

namespace mk843nb::fleet {

struct BoardActivity {
    std::string port;
    std::string label;  // the pager on the board, "" when none
    // "waiting", "testing the board", "reading", "writing", "verifying", "idle",
    // "stopped", "stopped: the board does not answer"
    std::string doing;
};

// Where a fleet run stands.
struct RunSnapshot {
    int done = 0;   // pagers ended (any result) in this run, and written before it
    int total = 0;  // pagers of the plan
    std::vector<BoardActivity> boards;
};

}  // namespace mk843nb::fleet
