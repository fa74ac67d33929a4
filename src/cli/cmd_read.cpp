#include <CLI/CLI.hpp>
#include <iostream>

#include "cli/cli_inventory.h"
#include "cli/cli_session.h"
#include "cli/console_pager_commands.h"
#include "cli/subcommands.h"
#include "cli/transfer_command.h"

namespace mk843nb::cli {

// read --port DEV FILE: Read from the pager; FILE then holds its 256 bytes as
// read, before the window refresh would touch them, so it is a faithful backup.
// The same bytes also go to the backup store and are recorded in the inventory
// (an inventory that cannot be used is said, and the read goes on).
void RegisterReadCommand(CLI::App& app) {
    auto* command =
        app.add_subcommand("read", "Read the pager's image through the board into a table file");
    auto options = AddTransferOptions(*command, "the table file to write");
    command->callback([options] {
        CliSession session(options->file);
        PagerImage image = session.Model().Image();
        CommandOutcome outcome;
        CommandRecording recording(CommandRecording::Need::Optional);
        {
            ConsolePagerCommands pager(options->port, options->trace, recording.Hook());
            outcome = pager.Commands().Read(image);
        }
        ThrowUnlessSucceeded(outcome);
        session.SaveFileAs(image);
        std::cout << outcome.link.message->text << '\n';
    });
}

}  // namespace mk843nb::cli
