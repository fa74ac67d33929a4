#include <CLI/CLI.hpp>
#include <iostream>

#include "cli/cli_session.h"
#include "cli/commands.h"
#include "cli/transfer_command.h"
#include "link/console_link.h"

namespace mk843nb::cli {

// write --port DEV FILE: Open FILE, Write it (the pager's version, the write
// preparation, the frames and the read-back), then FILE holds exactly the image
// the pager now holds, so a following verify of FILE passes.
void RegisterWriteCommand(CLI::App& app) {
    auto* command = app.add_subcommand(
        "write", "Write a table file to the pager through the board, then verify it");
    auto options = AddTransferOptions(*command, "the table file to write to the pager");
    command->callback([options] {
        CliSession session(options->file);
        session.OpenFile();
        PagerImage image = session.Model().Image();
        LinkOutcome outcome;
        {
            ConsoleLink link(options->port, options->trace, std::cerr);
            outcome = link.Session().Write(image);
        }
        // A failed write leaves FILE as it was: the pager may hold part of it only.
        ThrowUnlessSucceeded(outcome);
        std::cout << outcome.message->text << '\n' << std::flush;
        try {
            session.SaveFileAs(image);
        } catch (const CommandFailure& failure) {
            // The pager is right; only the file lags behind. Say so, so nobody writes again.
            throw CommandFailure("The pager was written and verified, but " + options->file +
                                     " could not be rewritten with the image as written (" +
                                     failure.what() +
                                     "). The pager holds the new image; the file still holds "
                                     "what it held before.",
                                 ExitCode::WrittenNotSaved);
        }
    });
}

}  // namespace mk843nb::cli
