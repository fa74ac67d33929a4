#include <CLI/CLI.hpp>
#include <iostream>

#include "cli/cli_inventory.h"
#include "cli/inventory_commands.h"
#include "cli/subcommands.h"

namespace mk843nb::cli {

// inventory where | list | show | import: the record of every pager and every image.
void RegisterInventoryCommand(CLI::App& app) {
    auto* inventory = app.add_subcommand(
        "inventory", "The record of every pager and every image read from or written to one");
    inventory->require_subcommand(1);
    AddInventoryWhereCommand(*inventory);
    AddInventoryListCommand(*inventory);
    AddInventoryShowCommand(*inventory);
    AddInventoryImportCommand(*inventory);
}

// inventory where: which database the command line uses, opened (and made when
// missing) so that its schema can be told.
void AddInventoryWhereCommand(CLI::App& inventory) {
    auto* command = inventory.add_subcommand("where", "Say which inventory database is in use");
    command->callback([] { std::cout << OpenInventoryOrFail()->Where() << '\n'; });
}

}  // namespace mk843nb::cli
