#include <CLI/CLI.hpp>
#include <iostream>
#include <memory>

#include "cli/cli_backups.h"
#include "cli/cli_session.h"
#include "cli/commands.h"
#include "cli/transfer_command.h"
#include "link/console_link.h"

namespace mk843nb::cli {

// write --port DEV [--backup-first] FILE: Open FILE, Write it (the pager's
// version, the write preparation, the frames and the read-back), then FILE
// holds exactly the image the pager now holds, so a following verify of FILE
// passes. The image as sent goes to the backup store once its verify has run,
// whatever it found. With --backup-first the pager is read and its image stored
// first; when that read or that backup fails, nothing is written.
void RegisterWriteCommand(CLI::App& app) {
    auto* command = app.add_subcommand(
        "write", "Write a table file to the pager through the board, then verify it");
    auto options = AddTransferOptions(*command, "the table file to write to the pager");
    auto backupFirst = std::make_shared<bool>(false);
    command->add_flag("--backup-first", *backupFirst,
                      "read the pager and store its image in the backups before writing");
    command->callback([options, backupFirst] {
        CliSession session(options->file);
        session.OpenFile();
        PagerImage image = session.Model().Image();
        LinkOutcome outcome;
        {
            ConsoleLink link(options->port, options->trace, std::cerr);
            if (*backupFirst) {
                PagerImage before = image;
                LinkOutcome read = link.Session().Read(before, true);
                if (!read.success && read.message)
                    read.message->text +=
                        "\nThe pager could not be backed up: nothing was written.";
                ThrowUnlessSucceeded(read);
                StoreBackup(before, BackupKind::PreWrite, options->port, true);
            }
            outcome = link.Session().Write(image);
        }
        if (outcome.imageSent) StoreBackup(image, BackupKind::Write, options->port);
        // A failed write leaves FILE as it was: the pager may hold part of it only.
        ThrowUnlessSucceeded(WithVerifyDetails(outcome, image));
        std::cout << outcome.message->text << '\n' << std::flush;
        try {
            session.SaveFileAs(image);
        } catch (const CommandFailure& failure) {
            // The pager is right; only the file lags behind. Say so, so nobody writes again.
            throw CommandFailure("The pager was written and verified, but " + options->file.typed +
                                     " could not be rewritten with the image as written (" +
                                     failure.what() +
                                     "). The pager holds the new image; the file still holds "
                                     "what it held before.",
                                 ExitCode::WrittenNotSaved);
        }
    });
}

}  // namespace mk843nb::cli
