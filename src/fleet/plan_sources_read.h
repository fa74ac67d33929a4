#pragma once

// The two files a fleet plan is made from, read once as planning needs them,
// for fleet plan and the Fleet window alike.

#include <filesystem>
#include <optional>
#include <string>

#include "fleet/plan_folder.h"

namespace mk843nb::fleet {

// A path with the name the user knows it by (as typed, or as a dialog gave it).
struct NamedFile {
    std::filesystem::path path;
    std::string shown;
};

// The roster's text and the template's bytes. The template is looked at as a
// table file first (a named pipe there would keep the read waiting). Nullopt
// with error set, naming the file as shown and why: "ROSTER cannot be read:
// why" or the "Open Error!" of the template.
std::optional<PlanSources> ReadPlanSources(const NamedFile& templateFile,
                                           const NamedFile& rosterFile, bool strict,
                                           std::string& error);

}  // namespace mk843nb::fleet
