#include <CLI/CLI.hpp>
#include <iostream>

#include "cli/cli_backups.h"
#include "cli/cli_session.h"
#include "cli/commands.h"
#include "cli/transfer_command.h"
#include "link/console_link.h"

namespace mk843nb::cli {

// read --port DEV FILE: Read from the pager; FILE then holds its 256 bytes as
// read, before the window refresh would touch them, so it is a faithful backup.
// The same bytes also go to the backup store.
void RegisterReadCommand(CLI::App& app) {
    auto* command =
        app.add_subcommand("read", "Read the pager's image through the board into a table file");
    auto options = AddTransferOptions(*command, "the table file to write");
    command->callback([options] {
        CliSession session(options->file);
        PagerImage image = session.Model().Image();
        LinkOutcome outcome;
        {
            ConsoleLink link(options->port, options->trace, std::cerr);
            outcome = link.Session().Read(image);
        }
        ThrowUnlessSucceeded(outcome);
        StoreBackup(image, BackupKind::Read, options->port);
        session.SaveFileAs(image);
        std::cout << outcome.message->text << '\n';
    });
}

}  // namespace mk843nb::cli
