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

// write --port DEV FILE: Open FILE, Write it (the pager's version, the write
// preparation, the frames and the read-back), then FILE holds exactly the image
// the pager now holds, so a following verify of FILE passes.
void RegisterWriteCommand(CLI::App& app) {
    auto* command = app.add_subcommand("write", "Write a table file to the pager through the board, then verify it");
    auto port = std::make_shared<std::string>();
    auto file = std::make_shared<std::string>();
    auto trace = std::make_shared<bool>(false);
    command->add_option("--port", *port, "the serial port of the board (a name such as ttyUSB0, or a path)")
        ->required();
    command->add_flag("--trace", *trace, "print every frame sent and received on stderr");
    command->add_option("FILE", *file, "the table file to write to the pager")->required();
    command->callback([port, file, trace] {
        PagerImage image = FreshStartImage();
        CliTableFileUi ui(*file);
        TableFile tables(ui, std::filesystem::current_path());
        tables.OpenTable(image);
        if (!ui.Shown().empty()) throw CommandFailure(ui.Shown().front().text);

        LinkOutcome outcome;
        {
            ConsoleLink link(*port, *trace, std::cerr);
            outcome = link.Session().Write(image);
        }
        // A failed write leaves FILE as it was: the pager may hold part of it only.
        if (!outcome.success) throw CommandFailure(outcome.message ? outcome.message->text : "Write Error !");
        tables.SaveTableAs(image);
        if (!ui.Shown().empty()) throw CommandFailure(ui.Shown().front().text);
        std::cout << outcome.message->text << '\n';
    });
}

}  // namespace mk843nb::cli
