#include "fleet_run/run_snapshot.h"

namespace mk843nb::fleet {

std::string DoingText(BoardDoing doing, bool brief) {
    const auto said = [brief](const char* text, const char* word) {
        return std::string(brief ? word : text);
    };
    switch (doing) {
        case BoardDoing::Idle:
            return "idle";
        case BoardDoing::Waiting:
            return "waiting";
        case BoardDoing::WaitingForPager:
            return said("waiting for a pager", "waiting");
        case BoardDoing::WaitingPagerDone:
            return said("waiting: the pager on the board is done", "waiting");
        case BoardDoing::WaitingForTakeOff:
            return said("waiting for the pager to be taken off", "waiting");
        case BoardDoing::TestingBoard:
            return said("testing the board", "testing");
        case BoardDoing::Reading:
            return "reading";
        case BoardDoing::Writing:
            return "writing";
        case BoardDoing::Verifying:
            return "verifying";
        case BoardDoing::Stopped:
            return "stopped";
        case BoardDoing::StoppedNotAnswering:
            return said("stopped: the board does not answer", "stopped");
        case BoardDoing::Done:
            return "done";
    }
    return "";
}

}  // namespace mk843nb::fleet
