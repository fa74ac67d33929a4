#pragma once

// A plan's report (report.csv and report.json) made from the inventory's
// records of the plan, so however many runs wrote to it, on however many
// boards, both files list the same lines.
//
// A pager's turn leaves a record of what it held before (pre-write or
// damaged, whose message names its backup and the planned table) and then
// one record whose result is a report result ("written", "read failed",
// "skipped", ...): that one is the report's line.

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "fleet/fleet_report.h"
#include "fleet/plan_folder.h"
#include "image/pager_image.h"
#include "inventory/inventory.h"

namespace mk843nb::fleet {

// The message of the record of what a pager held before its write.
struct BeforeNote {
    std::string backup;  // the backup's table file
    std::string sha256;  // of the planned table the run meant to write
};
std::string BeforeNoteText(const BeforeNote& note);
std::optional<BeforeNote> ParseBeforeNote(const std::string& message);

// The planned tables by roster line, as a run checked them (none: missing or changed).
using PlannedTables = std::map<int, std::optional<PagerImage>>;

std::vector<ReportLine> ReportLinesFrom(const std::vector<inventory::ImageRecord>& records,
                                        const PlanManifest& plan, const PlannedTables& tables,
                                        const std::vector<inventory::PlanRow>& rows);

}  // namespace mk843nb::fleet
