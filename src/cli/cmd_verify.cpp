#include <CLI/CLI.hpp>

#include <filesystem>
#include <iostream>
#include <memory>
#include <string>

#include "cli/cli_table_file_ui.h"
#include "cli/commands.h"
#include "cli/fresh_start.h"
#include "files/table_file.h"
#include "link/console_link.h"

namespace mk843nb::cli {

// verify --port DEV FILE: Open FILE, then compare all 256 bytes with the pager.
void RegisterVerifyCommand(CLI::App& app) {
    auto* command = app.add_subcommand("verify", "Compare a table file with the pager through the board");
    auto port = std::make_shared<std::string>();
    auto file = std::make_shared<std::string>();
    auto trace = std::make_shared<bool>(false);
    command->add_option("--port", *port, "the serial port of the board (a name such as ttyUSB0, or a path)")
        ->required();
    command->add_flag("--trace", *trace, "print every frame sent and received on stderr");
    command->add_option("FILE", *file, "the table file to compare")->required();
    command->callback([port, file, trace] {
        PagerImage image = FreshStartImage();
        CliTableFileUi ui(*file);
        TableFile tables(ui, std::filesystem::current_path());
        tables.OpenTable(image);
        if (!ui.Shown().empty()) throw CommandFailure(ui.Shown().front().text);

        LinkOutcome outcome;
        {
            ConsoleLink link(*port, *trace, std::cerr);
            outcome = link.Session().Verify(image, true);
        }
        if (!outcome.success) throw CommandFailure(outcome.message ? outcome.message->text : "Verify Error !");
        std::cout << outcome.message->text << '\n';
    });
}

}  // namespace mk843nb::cli
