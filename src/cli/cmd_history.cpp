#include <CLI/CLI.hpp>
#include <algorithm>
#include <ctime>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>

#include "cli/cli_inventory.h"
#include "cli/listing_text.h"
#include "cli/record_text.h"
#include "cli/subcommands.h"
#include "files/backup_store.h"
#include "files/shown_text.h"
#include "fleet/pager_history.h"

namespace mk843nb::cli {

namespace {

// The pager's records in the inventory, oldest first; false when the inventory
// has no such pager (or cannot be read: said on stderr).
bool PrintInventoryHistory(const std::string& key, bool json) {
    auto open = OpenInventory();
    if (!open.ok()) {
        std::cerr << open.error << '\n';
        return false;
    }
    inventory::Inventory& store = **open.value;
    const auto found = store.FindPager(key);
    if (!found.ok()) throw CommandFailure(found.error, ExitCode::Refused);
    if (!*found.value) return false;
    const inventory::Pager& pager = **found.value;
    auto records = store.History(pager.id);
    if (!records.ok()) throw CommandFailure(records.error, ExitCode::Refused);
    std::vector<inventory::ImageRecord>& oldestFirst = *records.value;
    std::reverse(oldestFirst.begin(), oldestFirst.end());
    if (json) {
        nlohmann::ordered_json list = nlohmann::ordered_json::array();
        for (const inventory::ImageRecord& record : oldestFirst) {
            nlohmann::ordered_json entry = {
                {"label", pager.label}, {"asset", pager.asset}, {"note", pager.note}};
            entry.update(RecordJson(record));
            list.push_back(std::move(entry));
        }
        std::cout << list.dump(2) << '\n';
        return true;
    }
    const std::string name = PagerName(pager);
    for (const inventory::ImageRecord& record : oldestFirst)
        std::cout << name << "  " << RecordLine(record) << '\n';
    return true;
}

// The programmings the backup folder still holds (before the inventory knew the pager).
void PrintBackupHistory(const std::string& key, bool json) {
    const BackupStore store(BackupStore::DefaultFolder());
    const std::vector<fleet::Programming> history = fleet::PagerHistory(store.List(), key);
    if (json) {
        nlohmann::ordered_json list = nlohmann::ordered_json::array();
        for (const fleet::Programming& p : history)
            list.push_back({{"time", LocalTimeText(p.time)},
                            {"label", p.tags.label},
                            {"asset", p.tags.asset},
                            {"note", p.tags.note},
                            {"port", p.port},
                            {"result", p.result},
                            {"tones", p.tones},
                            {"backup", p.before.string()},
                            {"sent", p.sent.string()}});
        std::cout << list.dump(2) << '\n';
        return;
    }
    if (history.empty())
        throw CommandFailure("no programming of '" + key +
                             "' in the inventory nor in the backups of " + store.Folder().string());
    for (const fleet::Programming& p : history) {
        // Labels, assets and ports come from sidecars anyone may have written.
        std::cout << LocalTimeText(p.time) << "  " << ShownText(p.tags.label);
        if (!p.tags.asset.empty()) std::cout << " [" << ShownText(p.tags.asset) << "]";
        std::cout << "  " << ShownText(p.port) << "  " << p.result << "  "
                  << (p.tones.empty() ? "-" : Joined(p.tones, ", ")) << "  "
                  << (p.before.empty() ? "-" : ShownText(p.before.string())) << '\n';
    }
}

}  // namespace

// history LABEL|ASSET [--json]: every record the inventory holds of one pager,
// oldest first: failed attempts included, with bench and operator, whatever
// the backup folder has pruned since. A pager the inventory does not know is
// looked up in the backup folder, as before there was an inventory.
void RegisterHistoryCommand(CLI::App& app) {
    auto* command = app.add_subcommand(
        "history", "List every record of a pager, by its label or asset tag, oldest first");
    auto key = std::make_shared<std::string>();
    auto json = std::make_shared<bool>(false);
    command->add_option("LABEL_OR_ASSET", *key, "the pager's roster label or asset tag")
        ->required();
    command->add_flag("--json", *json, "a JSON list of objects, one per record");
    command->callback([key, json] {
        if (!PrintInventoryHistory(*key, *json)) PrintBackupHistory(*key, *json);
    });
}

}  // namespace mk843nb::cli
