#include <CLI/CLI.hpp>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>

#include "cli/cli_session.h"
#include "cli/shell_path.h"
#include "cli/subcommands.h"
#include "editor/field_assignment.h"

namespace mk843nb::cli {
namespace {

void PrintListing(const FormModel& model) {
    for (Page page :
         {Page::Main, Page::Frequency, Page::Call, Page::Setting, Page::Config, Page::Advance}) {
        std::cout << "[" << PageCaption(page) << "]";
        if (page == Page::Advance && !model.State(ControlId::TabSheet4).visible)
            std::cout << "  (page hidden)";
        std::cout << '\n';
        for (const ListedField& field : ListedFields()) {
            if (field.page != page) continue;
            const ControlState& state = model.State(field.id);
            std::string value = ShownValue(model, field);
            if (state.kind == ControlKind::Check) value = value == "1" ? "on" : "off";
            std::cout << "  " << field.label << ": " << value;
            if (!field.unit.empty()) std::cout << ' ' << field.unit;
            if (!state.visible)
                std::cout << "  (hidden)";
            else if (!state.enabled)
                std::cout << "  (disabled)";
            std::cout << '\n';
        }
    }
}

void PrintJson(const FormModel& model) {
    nlohmann::ordered_json json = nlohmann::ordered_json::object();
    for (const ListedField& field : ListedFields()) {
        const std::string value = ShownValue(model, field);
        if (model.State(field.id).kind == ControlKind::Check)
            json[std::string(field.field)] = value == "1" ? 1 : 0;
        else
            json[std::string(field.field)] = value;
    }
    std::cout << json.dump(2) << '\n';
}

}  // namespace

// show [--json] FILE: a fresh start, Open FILE (the refresh and its rules run),
// then every value as the window shows it. The refresh's messages go to stderr.
void RegisterShowCommand(CLI::App& app) {
    auto* command =
        app.add_subcommand("show", "List every value of a table file as the window shows it");
    auto file = std::make_shared<ShellPath>();
    auto json = std::make_shared<bool>(false);
    command->add_flag("--json", *json, "one JSON object: field name -> what its control shows");
    command->add_option("FILE", *file, "the table file to show")->required();
    command->callback([file, json] {
        CliSession session(*file);
        session.OpenFile();
        if (*json)
            PrintJson(session.Model());
        else
            PrintListing(session.Model());
    });
}

}  // namespace mk843nb::cli
