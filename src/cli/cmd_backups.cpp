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

namespace mk843nb::cli {
// backups [--kind KIND] [--label L] [--asset A] [--json]: the pager backups of
// the store, newest first.
void RegisterBackupsCommand(CLI::App& app) {
    auto* command = app.add_subcommand(
        "backups", "List the pager backups (every Read, every Write, the image before a Write)");
    auto kind = std::make_shared<std::string>();
    auto json = std::make_shared<bool>(false);
    auto label = std::make_shared<std::string>();
    auto asset = std::make_shared<std::string>();
    command
        ->add_option("--kind", *kind,
                     "only this kind: read, write, pre-write or damaged (a memory that failed "
                     "its checksum, kept before it was written over)")
        ->check(CLI::IsMember({"read", "write", "pre-write", "damaged"}));
    command->add_option("--label", *label,
                        "only backups a fleet run took of the pager so labelled");
    command->add_option("--asset", *asset,
                        "only backups a fleet run took of the pager with this asset tag");
    command->add_flag("--json", *json, "a JSON list of objects, one per backup");
    command->callback([kind, json, label, asset] {
        const BackupStore store(BackupStore::DefaultFolder());
        nlohmann::ordered_json list = nlohmann::ordered_json::array();
        for (const StoredBackup& backup : store.List()) {
            const BackupInfo& info = backup.info;
            if (!kind->empty() && BackupKindText(info.kind) != *kind) continue;
            if (!label->empty() && info.tags.label != *label) continue;
            if (!asset->empty() && info.tags.asset != *asset) continue;
            if (*json) {
                nlohmann::ordered_json entry = {{"file", backup.table.string()},
                                                {"time", LocalTimeText(info.time)},
                                                {"kind", BackupKindText(info.kind)},
                                                {"model", info.modelText},
                                                {"firmwareVersion", info.firmwareVersion},
                                                {"port", info.port},
                                                {"portById", info.portById},
                                                {"checksumOk", info.checksumOk}};
                if (!info.tags.label.empty()) entry["label"] = info.tags.label;
                if (!info.tags.asset.empty()) entry["asset"] = info.tags.asset;
                if (!info.tags.note.empty()) entry["note"] = info.tags.note;
                if (!info.result.empty()) entry["result"] = info.result;
                list.push_back(std::move(entry));
                continue;
            }
            // All but the kind come from sidecars and names anyone may have written.
            std::cout << LocalTimeText(info.time) << "  " << BackupKindText(info.kind) << "  "
                      << ShownText(info.modelText) << "  v" << ShownText(info.firmwareVersion)
                      << "  " << ShownText(info.portById.empty() ? info.port : info.portById)
                      << "  " << ShownText(backup.table.string());
            if (!info.tags.label.empty()) std::cout << "  '" << ShownText(info.tags.label) << "'";
            if (!info.tags.asset.empty()) std::cout << " [" << ShownText(info.tags.asset) << "]";
            std::cout << '\n';
        }
        if (*json) std::cout << list.dump(2) << '\n';
    });
}

}  // namespace mk843nb::cli
