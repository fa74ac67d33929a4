// Rosters as a user's spreadsheet might save them: any bytes. Parsing must
// never crash, and what it accepts must be well formed: one cell per field
// column, labels present and unique, rows in file order.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string_view>

#include "fleet/roster.h"

using namespace mk843nb::fleet;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const RosterParse parse =
        ParseRoster(std::string_view(reinterpret_cast<const char*>(data), size));
    std::set<std::string> labels;
    int lastLine = 0;
    for (const RosterRow& row : parse.roster.rows) {
        if (row.cells.size() != parse.roster.fields.size()) std::abort();
        if (row.label.empty() || !labels.insert(row.label).second) std::abort();
        if (row.line <= lastLine) std::abort();
        lastLine = row.line;
    }
    for (const FleetProblem& problem : parse.errors) (void)Describe(problem);
    return 0;
}
