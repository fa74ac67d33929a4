#pragma once

// The fleet window's rules without the toolkit: what its plan table, lanes and
// results show, the prompt's words, which buttons work when, and where a plan
// folder stands from its report. The window only renders them.

#include <filesystem>
#include <string>
#include <vector>

#include "fleet/fleet_plan.h"
#include "fleet/fleet_report.h"
#include "fleet/plan_folder.h"
#include "fleet/roster.h"
#include "fleet_run/run_snapshot.h"
#include "image/pager_image.h"

namespace mk843nb::fleet {

// A pager of the plan as its table shows it.
struct PlanRow {
    std::string label;
    // The fields its table changes from the template: "T11=600.9, T21=707.3".
    std::string changes;
    // Every problem said about its roster row, one a line.
    std::string problems;
    bool refused = false;  // the row cannot be planned as it is
};

// The rows of a plan just built from a roster, refused rows included (with
// their cells as the changes, since they have no table).
std::vector<PlanRow> PlanRowsOf(const RosterParse& roster, const FleetPlan& plan,
                                const PagerImage& templateImage);
// The rows of a plan folder: each table against the template when the
// template file still holds what was planned from, and the warnings recorded.
std::vector<PlanRow> PlanRowsOf(const std::filesystem::path& folder, const PlanManifest& plan);
// The problems no row of the table can show: about the roster as a whole,
// about rows the roster could not take (a repeated label, too many cells), and
// what opening the template said.
std::vector<std::string> GeneralProblems(const RosterParse& roster, const FleetPlan& plan);

// A line of the report as the results table shows it.
struct ResultRow {
    std::string label;
    std::string board;  // "ttyUSB0"
    std::string result;
    std::string seconds;  // "2.6"
    std::string backup;
    std::string message;  // on one line
};
ResultRow ResultRowOf(const ReportLine& line);

// A pager whose last line of the report says its table was written and
// verified (as FleetReport::AlreadyWritten decides, on lines the window holds).
bool WrittenIn(const std::vector<ReportLine>& lines, const PlanEntry& pager);
// Retry is offered for a pager of the plan whose last line is no success.
bool CanRetry(const PlanManifest& plan, const std::vector<ReportLine>& lines,
              const std::string& label);
// "Written and verified: 2 of 6"
std::string PlanStanding(const PlanManifest& plan, const std::vector<ReportLine>& lines);
// The plan with only the named pager in it (a retry of that one).
PlanManifest OnlyPager(const PlanManifest& plan, const std::string& label);

// The words of a lane's prompt: "Place 'Engine 2' on board 2 (FT232R USB UART (ttyUSB1))".
std::string PromptText(const std::string& label, int board, const std::string& portDescription);
// A lane that takes the next pager on Go: "Place the next pager on board 2 (FT232R USB UART
// (ttyUSB1)) and press Go".
std::string ReadyText(int board, const std::string& portDescription);

// What a lane says of its board: the label it works on and what it does.
// Hands-free a board waiting for a pager names the label it waits for.
std::string LaneText(const BoardActivity& board, bool handsFree);
// How far the board is with its pager: 0 (none) to kLaneSteps (verifying).
inline constexpr int kLaneSteps = 4;
int LaneStep(const BoardActivity& board);

// Where the window stands, for its buttons.
struct ScreenState {
    bool planReady = false;   // a roster and template make a plan without refusals
    bool planFolder = false;  // a plan folder is open (made or opened)
    bool running = false;
    int boardsChecked = 0;
    bool retryable = false;  // the selected result's pager may be retried
};

struct ScreenControls {
    bool choose = false;  // roster, template, open plan: only while nothing runs
    bool makePlan = false;
    bool run = false;
    bool stop = false;
    bool retry = false;
    bool openFolder = false;  // the report and the plan folder
};

ScreenControls ControlsFor(const ScreenState& state);

}  // namespace mk843nb::fleet
