#include "fleet/fleet_plan.h"

#include <algorithm>
#include <map>
#include <optional>

#include "editor/field_assignment.h"
#include "editor/form_driver.h"
#include "editor/form_model.h"
#include "files/named_table_file_ui.h"
#include "files/table_file.h"
#include "files/table_io.h"
#include "fleet/safe_file_name.h"
#include "tones/tone_names.h"

namespace mk843nb::fleet {
namespace {

std::string Joined(const std::vector<Message>& messages) {
    std::string text;
    for (const Message& message : messages) text += (text.empty() ? "" : "\n") + message.text;
    return text;
}

struct RowResult {
    std::optional<FleetProblem> refusal;
    PagerImage image{};
    std::vector<std::string> openMessages;
    std::vector<FleetProblem> snaps;
};

// What `set` does with one invocation: a fresh start, Open the template, the
// access code if given, then each assignment; the first refusal ends the row.
RowResult ApplyRow(const std::filesystem::path& templatePath, const Roster& roster,
                   const RosterRow& row, const PlanOptions& options) {
    RowResult result;
    FormModel model;
    FormDriver user(model);
    NamedTableFileUi ui(templatePath.string());  // Open answered with the template
    TableFile tables(ui, std::filesystem::current_path());
    auto refuse = [&](std::string field, std::string message) {
        result.refusal = FleetProblem{row.line, row.label, std::move(field), std::move(message)};
        return result;
    };

    if (options.userMode) user.Click("radUser");
    PagerImage image = model.Image();
    tables.OpenTable(image);
    if (!ui.Shown().empty()) return refuse("", templatePath.string() + ": " + Joined(ui.Shown()));
    user.ReplaceImage(image);
    for (const Message& message : user.TakeMessages()) result.openMessages.push_back(message.text);
    if (!options.accessCode.empty()) {
        user.Click("Advance2");
        user.Apply(model.SubmitAccessCode(options.accessCode), false);
        if (!user.Messages().empty()) return refuse("", Joined(user.TakeMessages()));
    }
    for (std::size_t c = 0; c < roster.fields.size(); ++c) {
        if (row.cells[c].empty()) continue;
        const std::vector<Message> refused = AssignField(user, roster.fields[c], row.cells[c]);
        if (!refused.empty()) return refuse(roster.fields[c], Joined(refused));
        for (const ToneSnap& snap : model.TakeToneSnaps()) {
            if (options.exact)
                return refuse(snap.field, tones::SnapRefusalText(snap.typed, snap.stored));
            result.snaps.push_back(
                {row.line, row.label, snap.field, tones::SnapNoticeText(snap.typed, snap.stored)});
        }
    }
    result.image = model.Image();
    return result;
}

}  // namespace

FleetPlan BuildFleetPlan(const std::filesystem::path& templatePath, const RosterParse& roster,
                         const PlanOptions& options) {
    FleetPlan plan;
    plan.delimiter = roster.roster.delimiter;
    plan.errors = roster.errors;
    std::map<std::string, const RosterRow*> byFileName;
    for (const RosterRow& row : roster.roster.rows) {
        RowResult applied = ApplyRow(templatePath, roster.roster, row, options);
        if (&row == &roster.roster.rows.front()) plan.templateMessages = applied.openMessages;
        if (applied.refusal) {
            plan.errors.push_back(*applied.refusal);
            continue;
        }
        PlannedPager pager{row.line, row.label, SafeFileBase(row.label) + ".tbl", applied.image};
        // Different labels may be made safe into the same name ("A/B", "A_B").
        const auto [earlier, added] = byFileName.emplace(pager.fileName, &row);
        if (!added) {
            plan.errors.push_back({row.line, row.label, "label",
                                   "the label makes the same file name '" + pager.fileName +
                                       "' as '" + earlier->second->label + "' (line " +
                                       std::to_string(earlier->second->line) + ")"});
            continue;
        }
        plan.pagers.push_back(std::move(pager));
        plan.notices.insert(plan.notices.end(), applied.snaps.begin(), applied.snaps.end());
    }
    if (const auto templateBytes = ReadTableBytes(templatePath);
        templateBytes && !plan.pagers.empty())
        plan.shared = AddressesEveryRowKeeps(templateBytes->bytes, plan.pagers);
    std::vector<FleetProblem> findings = FleetWideFindings(plan.pagers, plan.shared);
    auto& into = options.strict ? plan.errors : plan.warnings;
    into.insert(into.end(), findings.begin(), findings.end());
    // In the order the user reads the roster.
    std::stable_sort(plan.errors.begin(), plan.errors.end(),
                     [](const FleetProblem& a, const FleetProblem& b) { return a.line < b.line; });
    return plan;
}

}  // namespace mk843nb::fleet
