#pragma once

// A roster written back from tables: the label, then each field in which some
// table differs from the template, in the window's field order; a cell only
// where its table differs. The roster is planned before it is given out, and
// given out only when fleet plan makes every table from it again, byte for
// byte (the table as the window opens it).

#include <filesystem>
#include <string>
#include <vector>

#include "fleet/fleet_plan.h"

namespace mk843nb::fleet {

struct ExportTable {
    std::string label;
    std::filesystem::path file;
    std::string asset;
    std::string note;
};

struct RosterExport {
    std::string csv;                  // comma-separated, CRLF line ends
    std::vector<std::string> fields;  // the field columns, in order
    // Why the roster cannot be given out: a table a roster cannot make again.
    std::vector<std::string> errors;
    // A table whose bytes the window's refresh changes on opening (one never
    // saved by this program): the roster makes it as opened.
    std::vector<std::string> notes;
};

// options: the mode and access code fleet plan will be given (keep plays no part).
RosterExport ExportRoster(const std::filesystem::path& templatePath,
                          const std::vector<ExportTable>& tables, const PlanOptions& options);

}  // namespace mk843nb::fleet
