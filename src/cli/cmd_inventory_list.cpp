#include <CLI/CLI.hpp>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>

#include "cli/cli_inventory.h"
#include "cli/inventory_commands.h"
#include "cli/listing_text.h"
#include "cli/record_text.h"
#include "cli/shell_path.h"
#include "cli/subcommands.h"
#include "files/shown_text.h"
#include "fleet/csv_cell.h"
#include "fleet/pager_history.h"
#include "inventory/plan_key.h"
#include "tones/tone_plan.h"

namespace mk843nb::cli {

namespace {

struct ListOptions {
    inventory::ListFilter filter;
    ShellPath plan;
    bool json = false;
    bool csv = false;
};

std::string CallsOf(const inventory::PagerSummary& summary) {
    if (!summary.latest || !summary.latest->image) return {};
    return Joined(fleet::CallTones(*summary.latest->image), ", ");
}

void PrintCsv(const std::vector<inventory::PagerSummary>& pagers) {
    using fleet::CsvCell;
    using fleet::CsvQuoting;
    const auto line = [](const std::vector<std::string>& cells) {
        std::string text;
        for (const std::string& cell : cells) {
            if (!text.empty()) text += ',';
            text += CsvCell(cell, CsvQuoting::AsNeeded);
        }
        std::cout << text << '\n';
    };
    line({"label", "asset", "plan", "note", "utc", "kind", "result", "bench", "operator", "port",
          "calls"});
    for (const inventory::PagerSummary& s : pagers) {
        const inventory::ImageRecord* last = s.latest ? &*s.latest : nullptr;
        line({s.pager.label, s.pager.asset, s.pager.plan, s.pager.note,
              last ? UtcTimeText(last->time) : "", last ? ImageKindText(last->kind) : "",
              last ? last->result : "", last ? last->origin.bench : "",
              last ? last->origin.operatorName : "", last ? last->origin.port : "", CallsOf(s)});
    }
}

}  // namespace

// inventory list [--plan P] [--label L] [--asset A] [--address A/B] [--json|--csv]:
// every pager of the inventory (or those the filters leave) with its latest record.
void AddInventoryListCommand(CLI::App& inventory) {
    auto* command = inventory.add_subcommand(
        "list", "List the inventory's pagers, each with its latest record");
    auto options = std::make_shared<ListOptions>();
    command->add_option("--plan", options->plan, "only the pagers of this plan folder");
    command->add_option("--label", options->filter.label, "only the pagers with this label");
    command->add_option("--asset", options->filter.asset, "only the pager with this asset tag");
    command
        ->add_option("--address", options->filter.address,
                     "only the pagers whose latest image answers to this call address "
                     "(TONE1/TONE2, such as 600.9/634.5)")
        ->check([](const std::string& text) {
            return tones::ParsePair(text) ? std::string()
                                          : "not a call address such as 600.9/634.5: " + text;
        });
    auto* json =
        command->add_flag("--json", options->json, "a JSON list of objects, one per pager");
    command->add_flag("--csv", options->csv, "CSV with a header line, one line per pager")
        ->excludes(json);
    command->callback([options] {
        if (!options->plan.typed.empty())
            options->filter.plan = inventory::PlanKeyOf(options->plan.path);
        const auto store = OpenInventoryOrFail();
        const auto listed = store->List(options->filter);
        if (!listed.ok()) throw CommandFailure(listed.error, ExitCode::Refused);
        const std::vector<inventory::PagerSummary>& pagers = *listed.value;
        if (options->csv) return PrintCsv(pagers);
        if (options->json) {
            nlohmann::ordered_json list = nlohmann::ordered_json::array();
            for (const inventory::PagerSummary& s : pagers) {
                nlohmann::ordered_json pager = PagerJson(s.pager);
                pager["latest"] = s.latest ? RecordJson(*s.latest) : nlohmann::ordered_json();
                list.push_back(std::move(pager));
            }
            std::cout << list.dump(2) << '\n';
            return;
        }
        for (const inventory::PagerSummary& s : pagers)
            std::cout << PagerName(s.pager) << "  "
                      << (s.latest ? RecordLine(*s.latest) : std::string("no record")) << '\n';
    });
}

}  // namespace mk843nb::cli
