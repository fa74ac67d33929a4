// Rosters as a user's spreadsheet might save them: any bytes. Parsing must
// never crash, and what it accepts must be well formed: one cell per field
// column, labels present and unique, rows in file order, no control character
// in a label or an asset, no note over the limit, and no problem printed with
// a control character a terminal would act on.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string_view>

#include "files/shown_text.h"
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
        if (!mk843nb::FirstControlCharacter(row.label).empty()) std::abort();
        if (!mk843nb::FirstControlCharacter(row.asset).empty()) std::abort();
        if (row.note.size() > kNoteLimit) std::abort();
        lastLine = row.line;
    }
    for (const FleetProblem& problem : parse.errors)
        if (!mk843nb::FirstControlCharacter(Describe(problem)).empty()) std::abort();
    return 0;
}
