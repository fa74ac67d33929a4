#pragma once

namespace CLI {
class App;
}

namespace mk843nb::cli {

// The parts of `fleet`, each in its own cmd_fleet_<name>.cpp.
void AddFleetPlanCommand(CLI::App& fleet);
void AddFleetRunCommand(CLI::App& fleet);
void AddFleetExportCommand(CLI::App& fleet);

}  // namespace mk843nb::cli
