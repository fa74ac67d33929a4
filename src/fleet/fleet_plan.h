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
#include "tones/tone_plan.h"

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
    bool exact = false;  // a tone Standard Mode would snap refuses the row, as set --exact
    std::string exactName = "--exact";  // how the refusal names that choice
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
    // Typed tones that Standard Mode stored as the nearest standard tone.
    std::vector<FleetProblem> notices;
    // The call addresses every row keeps from the template (a station call),
    // shared on purpose: said once, never a finding among their holders.
    std::vector<tones::CallPair> shared;
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

// The tone-plan check of the planned pagers (same address, within bandwidth,
// stacked page, group tone), each problem said on the last row it involves;
// the shared addresses are no problem among their holders.
std::vector<FleetProblem> FleetWideFindings(const std::vector<PlannedPager>& pagers,
                                            const std::vector<tones::CallPair>& shared = {});

// The switched-on call addresses of the template that every pager still holds.
std::vector<tones::CallPair> AddressesEveryRowKeeps(const PagerImage& templateImage,
                                                    const std::vector<PlannedPager>& pagers);

// The --keep list: field names as `set` takes them, "none" for an empty list.
// The error text for a name that is no field a user can set.
struct KeepListParse {
    std::vector<std::string> fields;
    std::string error;
};
// optionName begins each error: the command line's option, or the window's box.
KeepListParse ParseKeepList(const std::vector<std::string>& names,
                            std::string_view optionName = "--keep");

}  // namespace mk843nb::fleet
