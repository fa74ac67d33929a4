#include "fleet/progress_line.h"

#include <algorithm>
#include <cstdio>

namespace mk843nb::fleet {
namespace {

std::string Clock(double seconds) {
    const long whole = static_cast<long>(seconds + 0.5);
    char text[32];
    if (whole >= 3600)
        std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", whole / 3600, whole / 60 % 60,
                      whole % 60);
    else
        std::snprintf(text, sizeof text, "%ld:%02ld", whole / 60, whole % 60);
    return text;
}

}  // namespace

std::string ShortPortName(const std::string& port) {
    return port.starts_with("/dev/") ? port.substr(5) : port;
}

std::string ProgressLine(const RunSnapshot& snapshot, double elapsedSeconds, int endedThisRun,
                         double lastEndedSeconds) {
    std::string text =
        std::to_string(snapshot.done) + "/" + std::to_string(snapshot.total) + " done";
    for (const BoardActivity& board : snapshot.boards) {
        text += " | " + ShortPortName(board.port) + ": " + board.doing;
        if (!board.label.empty()) text += " '" + board.label + "'";
    }
    text += " | " + Clock(elapsedSeconds) + " elapsed";
    const int left = snapshot.total - snapshot.done;
    if (endedThisRun > 0 && left > 0) {
        const double estimate =
            lastEndedSeconds / endedThisRun * left - (elapsedSeconds - lastEndedSeconds);
        text += ", about " + Clock(std::max(estimate, 0.0)) + " left";
    }
    return text;
}

}  // namespace mk843nb::fleet
