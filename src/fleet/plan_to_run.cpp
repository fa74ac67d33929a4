#include "fleet/plan_to_run.h"

namespace mk843nb::fleet {

PlanToRun OpenPlanToRun(const std::filesystem::path& folder) {
    PlanToRun opened;
    PlanLoad load = LoadPlanFolder(folder);
    if (!load.manifest) {
        opened.error = std::move(load.error);
        return opened;
    }
    FleetReport report(folder);
    if (auto error = report.Load()) {
        opened.error = FleetReport::Unusable(*error);
        return opened;
    }
    opened.manifest = std::move(load.manifest);
    opened.report = std::move(report);
    return opened;
}

}  // namespace mk843nb::fleet
