#include <CLI/CLI.hpp>
#include <ctime>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>

#include "cli/commands.h"
#include "files/backup_store.h"
#include "fleet/pager_history.h"

namespace mk843nb::cli {
namespace {

std::string LocalTime(std::chrono::system_clock::time_point time) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(time);
    std::tm local{};
    ::localtime_r(&seconds, &local);
    char text[32] = {};
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return text;
}

std::string Joined(const std::vector<std::string>& parts, const char* between) {
    std::string text;
    for (const std::string& part : parts) text += (text.empty() ? "" : between) + part;
    return text;
}

}  // namespace

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
                list.push_back({{"time", LocalTime(p.time)},
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
            std::cout << LocalTime(p.time) << "  " << p.tags.label;
            if (!p.tags.asset.empty()) std::cout << " [" << p.tags.asset << "]";
            std::cout << "  " << p.port << "  " << p.result << "  "
                      << (p.tones.empty() ? "-" : Joined(p.tones, ", ")) << "  "
                      << (p.before.empty() ? "-" : p.before.string()) << '\n';
        }
    });
}

}  // namespace mk843nb::cli
