#pragma once

// Brings what earlier versions kept in files into the inventory:
//   mk843nb-cli inventory import [DIR...]   ->  ImportFolders(inventory, dirs)
// Each DIR is a backup folder (every backup in it) or a plan folder (the lines
// of its report.json); with none, the backup folder. Asked twice, nothing is
// recorded twice.

#include <filesystem>
#include <string>
#include <vector>

#include "inventory/inventory.h"

namespace mk843nb::inventory {

struct ImportSummary {
    int added = 0;  // records made
    int known = 0;  // backups and report lines recorded before
    // What could not be imported (a table that is not whole, a report that
    // cannot be read), each naming its file; the rest is imported all the same.
    std::vector<std::string> problems;
};

// A folder with plan.json or report.json is a plan folder, anything else a backup folder.
Result<ImportSummary> ImportFolder(Inventory& inventory, const std::filesystem::path& folder);
// Every folder in turn; the first failure of the inventory itself ends it.
Result<ImportSummary> ImportFolders(Inventory& inventory,
                                    const std::vector<std::filesystem::path>& folders);

// "12 records added, 3 already in the inventory."
std::string ImportSummaryText(const ImportSummary& summary);

}  // namespace mk843nb::inventory
