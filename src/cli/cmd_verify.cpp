#include <CLI/CLI.hpp>
#include <iostream>

#include "cli/cli_session.h"
#include "cli/console_pager_commands.h"
#include "cli/subcommands.h"
#include "cli/transfer_command.h"

namespace mk843nb::cli {

// verify --port DEV FILE: Open FILE, then compare the image with the pager's
// 256 bytes. A difference is told field by field after "Verify Error !".
void RegisterVerifyCommand(CLI::App& app) {
    auto* command =
        app.add_subcommand("verify", "Compare a table file with the pager through the board");
    auto options = AddTransferOptions(*command, "the table file to compare");
    command->callback([options] {
        CliSession session(options->file);
        session.OpenFile();
        CommandOutcome outcome;
        {
            ConsolePagerCommands pager(options->port, options->trace);
            outcome = pager.Commands().Verify(session.Model().Image());
        }
        ThrowUnlessSucceeded(outcome);
        std::cout << outcome.link.message->text << '\n';
    });
}

}  // namespace mk843nb::cli
