#pragma once

// A plan folder opened to be run (fleet run, the Fleet window): its plan.json
// and its report so far, or why it cannot be run.

#include <filesystem>
#include <optional>
#include <string>

#include "fleet/fleet_report.h"
#include "fleet/plan_folder.h"

namespace mk843nb::fleet {

struct PlanToRun {
    std::optional<PlanManifest> manifest;
    std::optional<FleetReport> report;  // loaded
    std::string error;                  // set when either is missing
};

PlanToRun OpenPlanToRun(const std::filesystem::path& folder);

}  // namespace mk843nb::fleet
