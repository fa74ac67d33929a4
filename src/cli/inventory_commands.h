#pragma once

namespace CLI {
class App;
}

namespace mk843nb::cli {

// The parts of `inventory`, each in its own cmd_inventory_<name>.cpp.
void AddInventoryWhereCommand(CLI::App& inventory);
void AddInventoryListCommand(CLI::App& inventory);
void AddInventoryShowCommand(CLI::App& inventory);
void AddInventoryImportCommand(CLI::App& inventory);

}  // namespace mk843nb::cli
