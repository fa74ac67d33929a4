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

// read --port DEV FILE: Read from the pager, then FILE holds its 256 bytes as read.
void RegisterReadCommand(CLI::App& app) {
    auto* command = app.add_subcommand("read", "Read the pager's image through the board into a table file");
    auto port = std::make_shared<std::string>();
    auto file = std::make_shared<std::string>();
    auto trace = std::make_shared<bool>(false);
    command->add_option("--port", *port, "the serial port of the board (a name such as ttyUSB0, or a path)")
        ->required();
    command->add_flag("--trace", *trace, "print every frame sent and received on stderr");
    command->add_option("FILE", *file, "the table file to write")->required();
    command->callback([port, file, trace] {
        PagerImage image = FreshStartImage();
        LinkOutcome outcome;
        {
            ConsoleLink link(*port, *trace, std::cerr);
            outcome = link.Session().Read(image, true);
        }
        if (!outcome.success) throw CommandFailure(outcome.message ? outcome.message->text : "Read Error !");
        // Only a whole read reaches the file, and the save replaces it whole.
        CliTableFileUi ui(*file);
        TableFile tables(ui, std::filesystem::current_path());
        tables.SaveTableAs(image);
        if (!ui.Shown().empty()) throw CommandFailure(ui.Shown().front().text);
        std::cout << outcome.message->text << '\n';
    });
}

}  // namespace mk843nb::cli
