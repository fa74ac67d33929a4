#include <CLI/CLI.hpp>
#include <cerrno>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "cli/fleet_subcommands.h"
#include "cli/listing_text.h"
#include "cli/shell_path.h"
#include "cli/subcommands.h"
#include "files/atomic_write.h"
#include "fleet/digest.h"
#include "fleet/plan_folder.h"
#include "fleet/roster_export.h"
#include "fleet/text_file.h"

namespace mk843nb::cli {
namespace {

struct FleetExportOptions {
    std::vector<ShellPath> sources;
    ShellPath out;
    ShellPath templateFile;
    fleet::PlanOptions plan;
};

void Run(FleetExportOptions options) {
    namespace fs = std::filesystem;
    std::vector<fleet::ExportTable> tables;
    std::error_code error;
    if (options.sources.size() == 1 && fs::is_directory(options.sources.front().path, error)) {
        const fs::path folder = options.sources.front().path;
        const fleet::PlanLoad load = fleet::LoadPlanFolder(folder);
        if (!load.manifest) throw CommandFailure(load.error);
        const fleet::PlanManifest& plan = *load.manifest;
        if (options.templateFile.path.empty()) {
            options.templateFile = ShellPath(plan.templateFile.string());
            std::string why;
            const std::optional<std::string> bytes =
                fleet::ReadWholeFile(plan.templateFile, fleet::kTemplateFileLimit, why);
            if (!bytes)
                throw CommandFailure(plan.templateFile.string() + " cannot be read (" + why +
                                     "); give the template with --template");
            if (fleet::Sha256Hex(*bytes) != plan.templateSha256)
                throw CommandFailure(plan.templateFile.string() +
                                     " is missing or was changed after planning; give the "
                                     "template with --template");
        }
        options.plan.userMode = options.plan.userMode || plan.userMode;
        for (const fleet::PlanEntry& pager : plan.pagers)
            tables.push_back({pager.label, folder / pager.file, pager.asset, pager.note});
    } else {
        if (options.templateFile.path.empty())
            throw CommandFailure("give --template: the table every pager of the roster starts from",
                                 ExitCode::Usage);
        for (const ShellPath& source : options.sources)
            tables.push_back({source.path.stem().string(), source.path, "", ""});
    }

    const fleet::RosterExport roster =
        fleet::ExportRoster(options.templateFile.path, tables, options.plan);
    for (const std::string& note : roster.notes) std::cerr << "note: " << note << '\n';
    if (!roster.errors.empty())
        throw CommandFailure(Joined(roster.errors, "\n") + "\nnothing was written");
    if (!WriteFileAtomically(options.out.path, roster.csv))
        throw CommandFailure("Save Error! " + options.out.typed + ": " +
                             SaveFailureReason(options.out.path, options.out.typed, errno));

    std::cout << "Exported " << tables.size() << (tables.size() == 1 ? " pager" : " pagers")
              << " to " << options.out.typed << " (";
    if (roster.fields.empty()) std::cout << "no field differs from the template";
    for (std::size_t i = 0; i < roster.fields.size(); ++i)
        std::cout << (i == 0 ? "" : ", ") << roster.fields[i];
    std::cout << ")\n";
    std::vector<std::string> kept;
    for (const std::string& field : roster.fields)
        if (std::find(fleet::kDefaultKeptFields.begin(), fleet::kDefaultKeptFields.end(), field) !=
            fleet::kDefaultKeptFields.end())
            kept.push_back(field);
    if (!kept.empty())
        std::cerr << "note: the roster sets " << Joined(kept, ", ")
                  << " for some pagers; a pager whose cell is empty keeps its own when written "
                     "(fleet plan --keep none keeps nothing)\n";
    if (options.plan.userMode || !options.plan.accessCode.empty())
        std::cerr << "note: plan it with the same" << (options.plan.userMode ? " --user-mode" : "")
                  << (options.plan.accessCode.empty() ? "" : " --access-code") << '\n';
}

}  // namespace

// fleet export PLAN_DIR | TABLE... --out ROSTER.csv [--template T]: the roster
// from which fleet plan makes the same tables again.
void AddFleetExportCommand(CLI::App& fleet) {
    auto* command = fleet.add_subcommand(
        "export", "Write the roster from which fleet plan makes the same tables again");
    auto options = std::make_shared<FleetExportOptions>();
    command
        ->add_option("SOURCES", options->sources,
                     "a plan folder, or table files (each labelled by its file name)")
        ->required();
    command->add_option("--out", options->out, "the roster to write (CSV)")->required();
    command->add_option("--template", options->templateFile,
                        "the table every pager starts from (a plan folder's own by default)");
    command->add_flag("--user-mode", options->plan.userMode,
                      "the tables were planned in User Mode (a plan folder says so itself)");
    command->add_option("--access-code", options->plan.accessCode,
                        "the Advance Setting access code, when tables differ on that page");
    command->callback([options] { Run(*options); });
}

}  // namespace mk843nb::cli
