#include <CLI/CLI.hpp>
#include <ctime>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>

#include "cli/commands.h"
#include "files/backup_store.h"

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

}  // namespace

// backups [--kind KIND] [--json]: the pager backups of the store, newest first.
void RegisterBackupsCommand(CLI::App& app) {
    auto* command = app.add_subcommand(
        "backups", "List the pager backups (every Read, every Write, the image before a Write)");
    auto kind = std::make_shared<std::string>();
    auto json = std::make_shared<bool>(false);
    command->add_option("--kind", *kind, "only this kind: read, write or pre-write")
        ->check(CLI::IsMember({"read", "write", "pre-write"}));
    command->add_flag("--json", *json, "a JSON list of objects, one per backup");
    command->callback([kind, json] {
        const BackupStore store(BackupStore::DefaultFolder());
        nlohmann::ordered_json list = nlohmann::ordered_json::array();
        for (const StoredBackup& backup : store.List()) {
            const BackupInfo& info = backup.info;
            if (!kind->empty() && BackupKindText(info.kind) != *kind) continue;
            if (*json) {
                list.push_back({{"file", backup.table.string()},
                                {"time", LocalTime(info.time)},
                                {"kind", BackupKindText(info.kind)},
                                {"model", info.modelText},
                                {"firmwareVersion", info.firmwareVersion},
                                {"port", info.port},
                                {"portById", info.portById},
                                {"checksumOk", info.checksumOk}});
                continue;
            }
            std::cout << LocalTime(info.time) << "  " << BackupKindText(info.kind) << "  "
                      << info.modelText << "  v" << info.firmwareVersion << "  "
                      << (info.portById.empty() ? info.port : info.portById) << "  "
                      << backup.table.string() << '\n';
        }
        if (*json) std::cout << list.dump(2) << '\n';
    });
}

}  // namespace mk843nb::cli
