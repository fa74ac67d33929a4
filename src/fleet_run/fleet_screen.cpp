#include "fleet_run/fleet_screen.h"

#include <algorithm>
#include <cstdio>
#include <optional>

#include "editor/image_compare.h"
#include "files/table_io.h"
#include "fleet/digest.h"
#include "fleet_run/progress_line.h"

namespace mk843nb::fleet {
namespace {

// The fields the table changes that a user sets; what follows from them (the
// synthesizer words, the checksum) and bytes no control shows are left out.
std::string ChangesOf(const PagerImage& templateImage, const PagerImage& table) {
    std::string text;
    for (const FieldDifference& difference : CompareImages(templateImage, table)) {
        if (difference.page.empty() || difference.derived || difference.bookkeeping) continue;
        text += (text.empty() ? "" : ", ") + difference.field + "=" + difference.b;
    }
    return text;
}

std::string CellsOf(const Roster& roster, const RosterRow& row) {
    std::string text;
    for (const std::size_t c : CellsInFieldOrder(roster)) {
        if (row.cells[c].empty()) continue;
        text += (text.empty() ? "" : ", ") + roster.fields[c] + "=" + row.cells[c];
    }
    return text;
}

// "T11: Please insert ..." (the field, when the problem names one, then its message).
std::string ProblemText(const FleetProblem& problem, const char* kind) {
    std::string text = kind;
    if (!problem.field.empty()) text += problem.field + ": ";
    for (char c : problem.message) text += (c == '\n' || c == '\r') ? ' ' : c;
    return text;
}

void AddProblem(std::string& problems, const std::string& text) {
    problems += (problems.empty() ? "" : "\n") + text;
}

}  // namespace

std::vector<PlanRow> PlanRowsOf(const RosterParse& roster, const FleetPlan& plan,
                                const PagerImage& templateImage) {
    std::vector<PlanRow> rows;
    for (const RosterRow& row : roster.roster.rows) {
        PlanRow shown{row.label, "", "", false};
        const auto planned =
            std::find_if(plan.pagers.begin(), plan.pagers.end(),
                         [&](const PlannedPager& pager) { return pager.line == row.line; });
        shown.changes = planned != plan.pagers.end() ? ChangesOf(templateImage, planned->image)
                                                     : CellsOf(roster.roster, row);
        for (const FleetProblem& error : plan.errors)
            if (error.line == row.line) {
                AddProblem(shown.problems, ProblemText(error, ""));
                shown.refused = true;
            }
        for (const FleetProblem& warning : plan.warnings)
            if (warning.line == row.line)
                AddProblem(shown.problems, ProblemText(warning, "warning: "));
        for (const FleetProblem& notice : plan.notices)
            if (notice.line == row.line) AddProblem(shown.problems, ProblemText(notice, ""));
        rows.push_back(std::move(shown));
    }
    return rows;
}

std::vector<PlanRow> PlanRowsOf(const std::filesystem::path& folder, const PlanManifest& plan) {
    std::optional<PagerImage> templateImage;
    if (const auto bytes = ReadTableBytes(plan.templateFile);
        bytes && bytes->count == kImageSize && Sha256Hex(bytes->bytes) == plan.templateSha256)
        templateImage = bytes->bytes;
    std::vector<PlanRow> rows;
    for (const PlanEntry& pager : plan.pagers) {
        PlanRow shown{pager.label, "", "", false};
        const auto table = ReadTableBytes(folder / pager.file);
        if (!table || table->count != kImageSize || Sha256Hex(table->bytes) != pager.sha256) {
            shown.problems = pager.file + " is missing or was changed after planning; plan again";
            shown.refused = true;
        } else if (templateImage) {
            shown.changes = ChangesOf(*templateImage, table->bytes);
        }
        for (const FleetProblem& warning : plan.warnings)
            if (warning.label == pager.label)
                AddProblem(shown.problems, ProblemText(warning, "warning: "));
        rows.push_back(std::move(shown));
    }
    return rows;
}

std::vector<std::string> GeneralProblems(const RosterParse& roster, const FleetPlan& plan) {
    std::vector<std::string> problems;
    for (const FleetProblem& error : plan.errors)
        if (std::none_of(roster.roster.rows.begin(), roster.roster.rows.end(),
                         [&](const RosterRow& row) { return row.line == error.line; }))
            problems.push_back(Describe(error));
    for (const std::string& message : plan.templateMessages) problems.push_back(message);
    return problems;
}

ResultRow ResultRowOf(const ReportLine& line) {
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.1f", line.seconds);
    return {line.label,  ShortPortName(line.port), std::string(ResultName(line.result)), seconds,
            line.backup, OneLine(line.message)};
}

bool WrittenIn(const std::vector<ReportLine>& lines, const PlanEntry& pager) {
    for (auto line = lines.rbegin(); line != lines.rend(); ++line)
        if (line->label == pager.label) return line->written() && line->sha256 == pager.sha256;
    return false;
}

bool CanRetry(const PlanManifest& plan, const std::vector<ReportLine>& lines,
              const std::string& label) {
    const auto pager = std::find_if(plan.pagers.begin(), plan.pagers.end(),
                                    [&](const PlanEntry& entry) { return entry.label == label; });
    return pager != plan.pagers.end() && !WrittenIn(lines, *pager);
}

std::string PlanStanding(const PlanManifest& plan, const std::vector<ReportLine>& lines) {
    const auto written =
        std::count_if(plan.pagers.begin(), plan.pagers.end(),
                      [&](const PlanEntry& pager) { return WrittenIn(lines, pager); });
    return "Written and verified: " + std::to_string(written) + " of " +
           std::to_string(plan.pagers.size());
}

PlanManifest OnlyPager(const PlanManifest& plan, const std::string& label) {
    PlanManifest only = plan;
    std::erase_if(only.pagers, [&](const PlanEntry& pager) { return pager.label != label; });
    return only;
}

std::string PromptText(const std::string& label, int board, const std::string& portDescription) {
    return "Place '" + label + "' on board " + std::to_string(board) + " (" + portDescription + ")";
}

std::string ReadyText(int board, const std::string& portDescription) {
    return "Place the next pager on board " + std::to_string(board) + " (" + portDescription +
           ") and press Go";
}

std::string LaneText(const BoardActivity& board, bool handsFree) {
    if (board.label.empty())
        return board.doing == BoardDoing::Waiting && !handsFree ? "waiting for Go"
                                                                : DoingText(board.doing);
    const std::string quoted = "'" + board.label + "'";
    if (board.doing == BoardDoing::WaitingForPager)
        return "waiting for " + quoted + " to be placed";
    if (board.doing == BoardDoing::Waiting)
        return handsFree ? "waiting for " + quoted + " to be placed" : quoted + ": waiting for Go";
    return quoted + ": " + DoingText(board.doing);
}

int LaneStep(const BoardActivity& board) {
    switch (board.doing) {
        case BoardDoing::TestingBoard:
            return 1;
        case BoardDoing::Reading:
            return 2;
        case BoardDoing::Writing:
            return 3;
        case BoardDoing::Verifying:
            return 4;
        default:
            return 0;
    }
}

ScreenControls ControlsFor(const ScreenState& state) {
    ScreenControls controls;
    controls.choose = !state.running;
    controls.makePlan = !state.running && state.planReady;
    controls.run = !state.running && state.planFolder && state.boardsChecked > 0;
    controls.stop = state.running;
    controls.retry = controls.run && state.retryable;
    controls.openFolder = state.planFolder;
    return controls;
}

}  // namespace mk843nb::fleet
