#include <CLI/CLI.hpp>
#include <ctime>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>

#include "cli/listing_text.h"
#include "cli/subcommands.h"
#include "files/backup_store.h"
#include "files/shown_text.h"
#include "fleet/pager_history.h"

namespace mk843nb::cli {
// history LABEL|ASSET [--json]: every programming of one pager of a fleet, oldest first.
void RegisterHistoryCommand(CLI::App& app) {
    auto* command = app.add_subcommand(
        "history", "List every programming of a fleet's pager, by its label or asset tag");
    auto key = std::make_shared<std::string>();
    auto json = std::make_shared<bool>(false);
    command->add_option("LABEL_OR_ASSET", *key, "the pager's roster label or asset tag")
        ->required();
    command->add_flag("--json", *json, "a JSON list of objects, one per programming");
    command->callback([key, json] {
        const BackupStore store(BackupStore::DefaultFolder());
        const std::vector<fleet::Programming> history = fleet::PagerHistory(store.List(), *key);
        if (*json) {
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
            throw CommandFailure("no programming of '" + *key + "' in the backups of " +
                                 store.Folder().string());
        for (const fleet::Programming& p : history) {
            // Labels, assets and ports come from sidecars anyone may have written.
            std::cout << LocalTimeText(p.time) << "  " << ShownText(p.tags.label);
            if (!p.tags.asset.empty()) std::cout << " [" << ShownText(p.tags.asset) << "]";
            std::cout << "  " << ShownText(p.port) << "  " << p.result << "  "
                      << (p.tones.empty() ? "-" : Joined(p.tones, ", ")) << "  "
                      << (p.before.empty() ? "-" : ShownText(p.before.string())) << '\n';
        }
    });
}

}  // namespace mk843nb::cli
