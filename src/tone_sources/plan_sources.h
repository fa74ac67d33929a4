#pragma once

// A tone plan read from what the user names: table files, folders of them,
// or a fleet plan folder (its plan.json gives the labels).

#include <filesystem>
#include <string>
#include <vector>

#include "tones/tone_plan.h"

namespace mk843nb::tones {

struct PlanSourcesRead {
    TonePlan plan;
    // The addresses a fleet plan shares on purpose (every row keeps them from its template).
    std::vector<CallPair> shared;
    std::string error;  // the first path that cannot be used, and why; "" when all could
    // What the reader wants the user to know but is no error: a table given
    // more than once ("t.tbl is given twice: one pager").
    std::vector<std::string> notes;
};

// Each path in the order given: a folder holding plan.json gives its pagers in
// the plan's order, labelled as planned; another folder its *.tbl files by
// name; a file itself. Pagers from files are labelled with the file name; when
// two pagers would carry one label, each of them is labelled with its path.
// A table file is one pager however often it is reached (named twice, through
// its folder and by name, through a link): the first way it was reached counts,
// the others are noted.
PlanSourcesRead ReadTonePlan(const std::vector<std::filesystem::path>& paths);

}  // namespace mk843nb::tones
