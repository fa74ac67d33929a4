#include <CLI/CLI.hpp>
#include <iostream>

#include "cli/cli_backups.h"
#include "cli/cli_session.h"
#include "cli/commands.h"
#include "cli/transfer_command.h"
#include "link/console_link.h"

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
        LinkOutcome outcome;
        {
            ConsoleLink link(options->port, options->trace, std::cerr);
            outcome = link.Session().Verify(session.Model().Image());
        }
        ThrowUnlessSucceeded(WithVerifyDetails(outcome, session.Model().Image()));
        std::cout << outcome.message->text << '\n';
    });
}

}  // namespace mk843nb::cli
