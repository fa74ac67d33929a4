#include "fleet/fleet_plan.h"

#include <algorithm>
#include <map>
#include <optional>

#include "editor/field_assignment.h"
#include "editor/form_driver.h"
#include "editor/form_model.h"
#include "files/named_table_file_ui.h"
#include "files/safe_file_name.h"
#include "files/table_file.h"
#include "files/table_io.h"
#include "fleet/pager_keys.h"
#include "tones/tone_names.h"

namespace mk843nb::fleet {
namespace {

std::string Joined(const std::vector<Message>& messages) {
    std::string text;
    for (const Message& message : messages) text += (text.empty() ? "" : "\n") + message.text;
    return text;
}

// A row that sets a kept field means that value: that pager does not keep its own.
std::vector<std::string> KeptFieldsOf(const Roster& roster, const RosterRow& row,
                                      const std::vector<std::string>& keep) {
    std::vector<std::string> kept;
    for (const std::string& field : keep) {
        const auto column = std::find(roster.fields.begin(), roster.fields.end(), field);
        if (column == roster.fields.end() ||
            row.cells[static_cast<std::size_t>(column - roster.fields.begin())].empty())
            kept.push_back(field);
    }
    return kept;
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
    for (const std::size_t c : CellsInFieldOrder(roster)) {
        if (row.cells[c].empty()) continue;
        const std::vector<Message> refused = AssignField(user, roster.fields[c], row.cells[c]);
        if (!refused.empty()) {
            std::string message = Joined(refused);
            // A spreadsheet set to decimal commas, saved with commas between cells.
            if (roster.delimiter == ',' && row.cells[c].find(',') != std::string::npos &&
                Control(FindListedField(roster.fields[c])->id).kind == ControlKind::Edit)
                message +=
                    "; write the number with a decimal point (330.5), or save the roster with "
                    "semicolons between cells, where a decimal comma is taken";
            return refuse(roster.fields[c], message);
        }
        for (const ToneSnap& snap : model.TakeToneSnaps()) {
            if (options.exact)
                return refuse(snap.field,
                              tones::SnapRefusalText(snap.typed, snap.stored, options.exactName));
            result.snaps.push_back(
                {row.line, row.label, snap.field, tones::SnapNoticeText(snap.typed, snap.stored)});
        }
    }
    result.image = model.Image();
    // A field to keep must be one the run can set on this pager's table: the
    // same assignment of its own value now, which leaves the table as it is.
    for (const std::string& kept : KeptFieldsOf(roster, row, options.keep)) {
        const ListedField* field = FindListedField(kept);
        if (field == nullptr) return refuse(kept, "--keep: Unknown field '" + kept + "'");
        const std::vector<Message> refused = AssignField(user, kept, ShownValue(model, *field));
        if (!refused.empty()) return refuse(kept, "--keep " + RefusalText(kept, refused));
    }
    return result;
}

}  // namespace

FleetPlan BuildFleetPlan(const std::filesystem::path& templatePath, const RosterParse& roster,
                         const PlanOptions& options) {
    FleetPlan plan;
    plan.delimiter = roster.roster.delimiter;
    plan.userMode = options.userMode;
    plan.keep = options.keep;
    plan.errors = roster.errors;
    PagerKeys keys;
    for (const RosterRow& row : roster.roster.rows) {
        RowResult applied = ApplyRow(templatePath, roster.roster, row, options);
        if (&row == &roster.roster.rows.front()) plan.templateMessages = applied.openMessages;
        if (applied.refusal) {
            plan.errors.push_back(*applied.refusal);
            continue;
        }
        PlannedPager pager{row.line,
                           row.label,
                           SafeFileBase(row.label) + ".tbl",
                           applied.image,
                           row.asset,
                           row.note,
                           KeptFieldsOf(roster.roster, row, options.keep)};
        if (auto repeated = keys.Add(pager.line, pager.label, pager.asset, pager.fileName)) {
            plan.errors.push_back(std::move(*repeated));
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

KeepListParse ParseKeepList(const std::vector<std::string>& names, std::string_view optionName) {
    KeepListParse parse;
    if (names.size() == 1 && names.front() == "none") return parse;
    for (const std::string& name : names) {
        const ListedField* field = FindListedField(name);
        if (field == nullptr) {
            parse.error = std::string(optionName) + ": Unknown field '" + name + "'";
            return parse;
        }
        const ControlKind kind = Control(field->id).kind;
        if (kind == ControlKind::Label || field->id == ControlId::edtVersion) {
            parse.error =
                std::string(optionName) + ": " + name + " is shown only and cannot be set";
            return parse;
        }
        if (std::find(parse.fields.begin(), parse.fields.end(), name) == parse.fields.end())
            parse.fields.push_back(name);
    }
    return parse;
}

}  // namespace mk843nb::fleet
