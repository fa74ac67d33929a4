#pragma once

// The roster of a fleet: a CSV file with a header row whose first column is
// "label" and whose other columns are field names as `set` takes them; one
// row per pager. UTF-8 (a byte-order mark is allowed), cells separated by
// commas or semicolons (whichever the header uses), quoted cells allowed.

#include <string>
#include <string_view>
#include <vector>

#include "fleet/fleet_problem.h"

namespace mk843nb::fleet {

struct RosterRow {
    int line = 0;  // the line of the file the row starts on, from 1
    std::string label;
    // One cell per field column, in column order; "" keeps the template's value.
    std::vector<std::string> cells;
};

struct Roster {
    char delimiter = ',';
    std::vector<std::string> fields;  // the header after "label"
    std::vector<RosterRow> rows;
};

struct RosterParse {
    Roster roster;
    // Everything that makes the roster unusable; rows with problems are left out of roster.rows.
    std::vector<FleetProblem> errors;
};

// Parses the whole file's bytes. Checks the roster's own shape: the header,
// unknown or repeated field names, empty and repeated labels, rows with more
// cells than the header, text that is not UTF-8. Values are not checked here.
RosterParse ParseRoster(std::string_view bytes);

}  // namespace mk843nb::fleet
