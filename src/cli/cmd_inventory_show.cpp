#include <CLI/CLI.hpp>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>

#include "cli/cli_inventory.h"
#include "cli/inventory_commands.h"
#include "cli/record_text.h"
#include "cli/subcommands.h"
#include "files/shown_text.h"

namespace mk843nb::cli {

// inventory show LABEL|ASSET [--json]: one pager and every record of it, newest first.
void AddInventoryShowCommand(CLI::App& inventory) {
    auto* command = inventory.add_subcommand(
        "show", "Show one pager of the inventory and every record of it, newest first");
    auto key = std::make_shared<std::string>();
    auto json = std::make_shared<bool>(false);
    command->add_option("LABEL_OR_ASSET", *key, "the pager's label or asset tag")->required();
    command->add_flag("--json", *json, "a JSON object: the pager and its records");
    command->callback([key, json] {
        const auto store = OpenInventoryOrFail();
        const auto found = store->FindPager(*key);
        if (!found.ok()) throw CommandFailure(found.error, ExitCode::Refused);
        if (!*found.value)
            throw CommandFailure("no pager '" + ShownText(*key) + "' in the inventory " +
                                 store->Where());
        const inventory::Pager& pager = **found.value;
        const auto records = store->History(pager.id);
        if (!records.ok()) throw CommandFailure(records.error, ExitCode::Refused);
        if (*json) {
            nlohmann::ordered_json out = PagerJson(pager);
            out["records"] = nlohmann::ordered_json::array();
            for (const inventory::ImageRecord& record : *records.value)
                out["records"].push_back(RecordJson(record));
            std::cout << out.dump(2) << '\n';
            return;
        }
        std::cout << PagerName(pager) << '\n';
        if (!pager.note.empty()) std::cout << "Note: " << ShownText(pager.note) << '\n';
        for (const inventory::ImageRecord& record : *records.value)
            std::cout << RecordLine(record) << '\n';
    });
}

}  // namespace mk843nb::cli
