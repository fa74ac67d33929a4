#include <CLI/CLI.hpp>
#include <filesystem>
#include <iostream>
#include <memory>
#include <vector>

#include "cli/cli_inventory.h"
#include "cli/inventory_commands.h"
#include "cli/shell_path.h"
#include "cli/subcommands.h"
#include "files/backup_store.h"
#include "files/shown_text.h"
#include "inventory/inventory_import.h"

namespace mk843nb::cli {

// inventory import [DIR...]: the backups and plan reports kept before there was
// an inventory; by default the backup folder. Asked twice, nothing is recorded
// twice. What cannot be imported is said, and the rest is imported.
void AddInventoryImportCommand(CLI::App& inventory) {
    auto* command = inventory.add_subcommand(
        "import", "Import backup folders and plan folders (default: the backup folder)");
    auto folders = std::make_shared<std::vector<ShellPath>>();
    command->add_option("DIR", *folders, "a backup folder or a plan folder");
    command->callback([folders] {
        std::vector<std::filesystem::path> paths;
        for (const ShellPath& folder : *folders) paths.push_back(folder.path);
        if (paths.empty()) paths.push_back(BackupStore::DefaultFolder());
        const auto store = OpenInventoryOrFail();
        const auto imported = inventory::ImportFolders(*store, paths);
        if (!imported.ok()) throw CommandFailure(imported.error, ExitCode::Refused);
        for (const std::string& problem : imported.value->problems)
            std::cerr << ShownText(problem) << '\n';
        std::cout << inventory::ImportSummaryText(*imported.value) << '\n';
        if (!imported.value->problems.empty())
            throw CommandFailure("", ExitCode::Refused);  // said above, line by line
    });
}

}  // namespace mk843nb::cli
