#pragma once

// The roster of a fleet: a CSV file with a header row whose first column is
// "label" and whose other columns are field names as `set` takes them (in
// any case), and optionally "asset" and "note"; one row per pager. UTF-8 (a
// byte-order mark is allowed), cells separated by commas or semicolons
// (whichever the header uses, or a spreadsheet's "sep=;" first line), quoted
// cells allowed. In a semicolon roster a number may have a decimal comma.

#include <cstddef>
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
    std::string asset{};  // an asset tag or serial number; "" when none
    std::string note{};
};

// The record columns a roster may have besides the fields.
inline constexpr std::string_view kAssetColumn = "asset";
inline constexpr std::string_view kNoteColumn = "note";
// The longest note, in bytes: a note travels with every backup of its pager.
inline constexpr std::size_t kNoteLimit = 4096;

struct Roster {
    char delimiter = ',';
    // The field columns of the header, by the fields' own names, in column order.
    std::vector<std::string> fields;
    bool hasAsset = false;
    bool hasNote = false;
    std::vector<RosterRow> rows;
};

struct RosterParse {
    Roster roster;
    // Everything that makes the roster unusable; rows with problems are left out of roster.rows.
    std::vector<FleetProblem> errors;
};

// Parses the whole file's bytes. Checks the roster's own shape: the header,
// unknown or repeated field names, empty and repeated labels, control
// characters in labels and assets, notes over kNoteLimit, rows with more
// cells than the header, text that is not UTF-8. Ctrl-Z and NUL bytes at the
// end of the file are no part of it. A cell written after an apostrophe
// against spreadsheet formulas reads as written (fleet/csv_cell.h). Values are not checked here,
// but a semicolon roster's decimal commas in number cells become points.
RosterParse ParseRoster(std::string_view bytes);

// The order the window's controls come in (the control catalogue's), which
// is the order a row's cells are applied in: a call is switched on before
// its tones are set, whatever the column order. Indexes into roster.fields.
std::vector<std::size_t> CellsInFieldOrder(const Roster& roster);

}  // namespace mk843nb::fleet
