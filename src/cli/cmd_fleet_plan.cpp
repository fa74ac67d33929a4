#include <CLI/CLI.hpp>
#include <iostream>
#include <memory>
#include <new>
#include <string>

#include "cli/fleet_subcommands.h"
#include "cli/shell_path.h"
#include "cli/subcommands.h"
#include "fleet/fleet_plan.h"
#include "fleet/plan_folder.h"
#include "fleet/plan_sources_read.h"
#include "fleet/problem_summary.h"
#include "tones/tone_plan.h"

namespace mk843nb::cli {
namespace {

struct FleetPlanOptions {
    ShellPath templateFile;
    ShellPath rosterFile;
    ShellPath out;
    fleet::PlanOptions plan;
    std::vector<std::string> keep;
};

void Plan(FleetPlanOptions& options, std::string& doing) {
    if (!options.keep.empty()) {
        const fleet::KeepListParse keep = fleet::ParseKeepList(options.keep);
        if (!keep.error.empty()) throw CommandFailure(keep.error, ExitCode::Usage);
        options.plan.keep = keep.fields;
    }
    doing = "reading " + options.rosterFile.typed;
    std::string unread;
    const std::optional<fleet::PlanSources> sources = fleet::ReadPlanSources(
        {options.templateFile.path, options.templateFile.typed},
        {options.rosterFile.path, options.rosterFile.typed}, options.plan.strict, unread);
    if (!sources) throw CommandFailure(unread);

    doing = "reading the rows of " + options.rosterFile.typed;
    const fleet::RosterParse parse = fleet::ParseRoster(sources->rosterBytes);
    doing = "planning the " + std::to_string(parse.roster.rows.size()) + " rows of " +
            options.rosterFile.typed;
    const fleet::FleetPlan plan =
        fleet::BuildFleetPlan(options.templateFile.path, parse, options.plan);
    for (const std::string& message : plan.templateMessages)
        std::cerr << options.templateFile.typed << ": " << message << '\n';
    // Every snapped tone is the same notice: a few show what happened.
    for (const std::string& line : fleet::SummarisedLines(
             plan.notices, [](const fleet::FleetProblem&) { return std::string(); }, ""))
        std::cerr << line << '\n';
    if (plan.errors.empty())
        for (const tones::CallPair& pair : plan.shared)
            std::cerr << "shared on purpose (every row keeps it from the template): "
                      << tones::PairName(pair) << '\n';
    // All of them are in plan.json; the terminal gets a few of each kind.
    for (const std::string& line :
         fleet::SummarisedLines(plan.warnings, fleet::FindingKind, "warning: "))
        std::cerr << line << '\n';
    for (const fleet::FleetProblem& error : plan.errors)
        std::cerr << fleet::Describe(error) << '\n';
    if (!plan.errors.empty()) {
        throw CommandFailure(std::to_string(plan.errors.size()) +
                             (plan.errors.size() == 1 ? " refusal" : " refusals") +
                             "; nothing was written");
    }

    doing = "writing the plan folder " + options.out.typed;
    if (auto error = fleet::WritePlanFolder(options.out.path, plan, *sources))
        throw CommandFailure(*error);
    std::cout << "Planned " << plan.pagers.size()
              << (plan.pagers.size() == 1 ? " pager" : " pagers") << " in " << options.out.typed;
    if (!plan.warnings.empty())
        std::cout << " (" << plan.warnings.size()
                  << (plan.warnings.size() == 1 ? " warning" : " warnings") << ")";
    std::cout << '\n';
}

void Run(FleetPlanOptions options) {
    std::string doing = "starting";
    try {
        Plan(options, doing);
    } catch (const std::bad_alloc&) {
        throw CommandFailure("Not enough memory while " + doing);
    }
}

}  // namespace

// fleet plan TEMPLATE ROSTER --out DIR: every roster row checked as `set`
// would check it, the fleet checked as a whole, and only then DIR written.
void AddFleetPlanCommand(CLI::App& fleet) {
    auto* command = fleet.add_subcommand(
        "plan", "Check a roster against a template and write one table file per pager");
    auto options = std::make_shared<FleetPlanOptions>();
    command->add_option("TEMPLATE", options->templateFile, "the table file every pager starts from")
        ->required();
    command
        ->add_option("ROSTER", options->rosterFile,
                     "CSV: a header 'label' then field names as set takes them; a row per pager")
        ->required();
    command->add_option("--out", options->out, "the folder for the tables, plan.json and reports")
        ->required();
    command->add_flag("--strict", options->plan.strict,
                      "refuse the plan for fleet-wide findings (the tone-plan check: same "
                      "address, within bandwidth, stacked page, group tone; addresses every "
                      "row keeps from the template are shared on purpose)");
    command->add_flag("--exact", options->plan.exact,
                      "refuse a row whose tone Standard Mode would move to the nearest standard "
                      "tone");
    command->add_flag("--user-mode", options->plan.userMode,
                      "start in User Mode instead of Standard Mode");
    command->add_option("--access-code", options->plan.accessCode,
                        "the Advance Setting access code, to reach the Advance Setting page");
    command
        ->add_option("--keep", options->keep,
                     "fields each pager keeps from its own memory when written, comma-separated "
                     "(default RSSI,SSI,RSSI2: its receiver's levels); none keeps nothing")
        ->delimiter(',');
    command->callback([options] { Run(*options); });
}

}  // namespace mk843nb::cli
