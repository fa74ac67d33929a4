#include <CLI/CLI.hpp>

#include <filesystem>
#include <memory>
#include <string>

#include "cli/cli_table_file_ui.h"
#include "cli/commands.h"
#include "cli/fresh_start.h"
#include "files/table_file.h"

namespace mk843nb::cli {

// new FILE: a fresh start (the form model with no default table), then Save As FILE.
void RegisterNewCommand(CLI::App& app) {
    auto* command = app.add_subcommand("new", "Write the image of a fresh start to a table file (256 bytes)");
    auto file = std::make_shared<std::string>();
    command->add_option("FILE", *file, "the table file to write")->required();
    command->callback([file] {
        const PagerImage image = FreshStartImage();
        CliTableFileUi ui(*file);
        TableFile tables(ui, std::filesystem::current_path());
        tables.SaveTableAs(image);
        if (!ui.Shown().empty()) throw CommandFailure(ui.Shown().front().text);
    });
}

}  // namespace mk843nb::cli
