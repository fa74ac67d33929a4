#include "fleet_run/progress_line.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <map>
#include <vector>

#include "files/shown_text.h"

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

bool Continuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// The first `columns` characters of text, never half of one.
std::string FirstColumns(const std::string& text, std::size_t columns) {
    std::size_t end = 0;
    for (std::size_t taken = 0; end < text.size(); ++end) {
        if (Continuation(text[end])) continue;
        if (taken++ == columns) break;
    }
    return text.substr(0, end);
}

// How the line may be shortened, from the full line to the tightest.
struct Shortening {
    bool shortTimes = false;
    bool countFreeBoards = false;
    bool firstWordOfDoing = false;
    bool withoutDoing = false;  // for boards with a pager: which pager is where matters most
    std::size_t labelColumns = std::numeric_limits<std::size_t>::max();
};

// The last `columns` characters of text.
std::string LastColumns(const std::string& text, std::size_t columns) {
    const std::size_t total = Columns(text);
    if (columns >= total) return text;
    const std::string skipped = FirstColumns(text, total - columns);
    return text.substr(skipped.size());
}

// A label cut in its middle: labels of a fleet tend to differ at their end
// ("Station 12", "Station 13"), so both ends stay ("Sta~12").
std::string Label(const std::string& label, std::size_t columns) {
    if (Columns(label) <= columns || columns < 2) return label;
    const std::size_t kept = columns - 1;
    return FirstColumns(label, kept - kept / 2) + "~" + LastColumns(label, kept / 2);
}

// The pieces of the line: the count, each board, the times.
std::vector<std::string> Compose(const RunSnapshot& snapshot, const std::string& elapsed,
                                 const std::string& left, const Shortening& how) {
    std::vector<std::string> pieces{std::to_string(snapshot.done) + "/" +
                                    std::to_string(snapshot.total) + " done"};
    std::map<std::string, int> free;  // boards without a pager, by what they do
    for (const BoardActivity& board : snapshot.boards) {
        const std::string doing = DoingText(board.doing, how.firstWordOfDoing);
        if (board.label.empty()) {
            if (how.countFreeBoards)
                ++free[DoingText(board.doing, true)];
            else
                pieces.push_back(ShortPortName(board.port) + ": " + doing);
            continue;
        }
        pieces.push_back("'" + Label(board.label, how.labelColumns) + "' on " +
                         ShortPortName(board.port) + (how.withoutDoing ? "" : ": " + doing));
    }
    for (const auto& [doing, count] : free) pieces.push_back(std::to_string(count) + " " + doing);
    if (how.shortTimes)
        pieces.push_back(elapsed + (left.empty() ? "" : ", " + left + " left"));
    else
        pieces.push_back(elapsed + " elapsed" + (left.empty() ? "" : ", about " + left + " left"));
    return pieces;
}

std::string Joined(const std::vector<std::string>& pieces) {
    std::string text;
    for (const std::string& piece : pieces) text += (text.empty() ? "" : " | ") + piece;
    return text;
}

}  // namespace

std::string ShortPortName(const std::string& port) {
    return port.starts_with("/dev/") ? port.substr(5) : port;
}

std::size_t Columns(const std::string& text) {
    return static_cast<std::size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return !Continuation(c); }));
}

std::string ProgressLine(const RunSnapshot& given, double elapsedSeconds, int endedThisRun,
                         double lastEndedSeconds, int columns) {
    // Labels come from the plan: their control characters are shown, and counted as shown.
    RunSnapshot snapshot = given;
    for (BoardActivity& board : snapshot.boards) board.label = ShownText(board.label);
    const std::string elapsed = Clock(elapsedSeconds);
    std::string left;
    const int pagersLeft = snapshot.total - snapshot.done;
    if (endedThisRun > 0 && pagersLeft > 0) {
        const double estimate =
            lastEndedSeconds / endedThisRun * pagersLeft - (elapsedSeconds - lastEndedSeconds);
        left = Clock(std::max(estimate, 0.0));
    }
    Shortening how;
    std::vector<std::string> pieces = Compose(snapshot, elapsed, left, how);
    if (columns <= 0) return Joined(pieces);
    // The last column stays free: a line that fills it wraps on some terminals.
    const std::size_t fits = static_cast<std::size_t>(columns - 1);
    const auto tooLong = [&] { return Columns(Joined(pieces)) > fits; };
    for (bool* step :
         {&how.shortTimes, &how.countFreeBoards, &how.firstWordOfDoing, &how.withoutDoing}) {
        if (!tooLong()) return Joined(pieces);
        *step = true;
        pieces = Compose(snapshot, elapsed, left, how);
    }
    // Then the times and the boards without a pager go, before any label is shortened.
    const std::size_t withPager = static_cast<std::size_t>(
        std::count_if(snapshot.boards.begin(), snapshot.boards.end(),
                      [](const BoardActivity& board) { return !board.label.empty(); }));
    while (tooLong() && pieces.size() > 1 + std::max<std::size_t>(withPager, 1)) pieces.pop_back();
    std::size_t longest = 0;
    for (const BoardActivity& board : snapshot.boards)
        longest = std::max(longest, Columns(board.label));
    // Down to labels of eight columns, where they still tell pagers apart.
    for (std::size_t labelColumns = longest; tooLong() && labelColumns > 8;) {
        how.labelColumns = --labelColumns;
        pieces = Compose(snapshot, elapsed, left, how);
        pieces.resize(std::min(pieces.size(), 1 + std::max<std::size_t>(withPager, 1)));
    }
    // Then the last boards, keeping the count and the first one.
    while (tooLong() && pieces.size() > 2) pieces.pop_back();
    const std::string text = Joined(pieces);
    return Columns(text) <= fits ? text : FirstColumns(text, fits);
}

}  // namespace mk843nb::fleet
