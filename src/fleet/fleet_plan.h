#pragma once

// The plan of a fleet: every roster row applied to the template as `set`
// applies its assignments, and the checks no single pager can make.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "fleet/fleet_problem.h"
#include "fleet/roster.h"
#include "image/pager_image.h"

namespace mk843nb::fleet {

// The receiver's own alignment levels: NRSSI, Speaker OFF, Speaker ON.
inline const std::vector<std::string> kDefaultKeptFields{"RSSI", "SSI", "RSSI2"};

struct PlanOptions {
    bool strict = false;     // the fleet-wide findings refuse the plan
    bool userMode = false;   // start in User Mode, as set --user-mode
    std::string accessCode;  // reach the Advance Setting page, as set --access-code
    // The fields each pager keeps from its own memory when it is written,
    // unless its row gives the field a value.
    std::vector<std::string> keep = kDefaultKeptFields;
};

struct PlannedPager {
    int line = 0;
    std::string label;
    std::string fileName;  // "<safe label>.tbl"
    PagerImage image{};
    std::string asset{};  // the roster's asset and note columns, "" when none
    std::string note{};
    // The fields this pager keeps from its own memory: the plan's, less those its row sets.
    std::vector<std::string> keep{};
};

struct FleetPlan {
    char delimiter = ',';
    std::vector<PlannedPager> pagers;
    // Refusals: with any of them nothing may be written.
    std::vector<FleetProblem> errors;
    // Fleet-wide findings (errors instead under strict).
    std::vector<FleetProblem> warnings;
    // What opening the template said (the window's refresh warnings), once for all rows.
    std::vector<std::string> templateMessages;
    // The options the tables were made with, recorded in plan.json.
    bool userMode = false;
    std::vector<std::string> keep;
};

// Each row: a fresh start, Open templatePath, the row's non-empty cells in
// the window's field order, each as `set` would assign it; the first refusal
// of a row is its error. Then the fleet-wide checks. The template and roster
// are only read.
FleetPlan BuildFleetPlan(const std::filesystem::path& templatePath, const RosterParse& roster,
                         const PlanOptions& options);

// Two rows with a switched-on call of the same address (equal TONE1 and
// TONE2), and a switched-on group call's tone equal to a switched-on
// individual call's TONE1 of another row.
std::vector<FleetProblem> FleetWideFindings(const std::vector<PlannedPager>& pagers);

// The --keep list: field names as `set` takes them, "none" for an empty list.
// The error text for a name that is no field a user can set.
struct KeepListParse {
    std::vector<std::string> fields;
    std::string error;
};
KeepListParse ParseKeepList(const std::vector<std::string>& names);

}  // namespace mk843nb::fleet
