#include <CLI/CLI.hpp>

#include "cli/fleet_subcommands.h"
#include "cli/subcommands.h"

namespace mk843nb::cli {

// fleet plan | fleet run | fleet export: many pagers from one template and a roster.
void RegisterFleetCommand(CLI::App& app) {
    auto* fleet = app.add_subcommand(
        "fleet", "Program many pagers: plan them from a template and a roster, then run the plan");
    fleet->require_subcommand(1);
    AddFleetPlanCommand(*fleet);
    AddFleetRunCommand(*fleet);
    AddFleetExportCommand(*fleet);
}

}  // namespace mk843nb::cli
