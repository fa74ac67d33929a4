#include <CLI/CLI.hpp>
#include <iostream>
#include <memory>

#include "cli/cli_inventory.h"
#include "cli/cli_session.h"
#include "cli/console_pager_commands.h"
#include "cli/subcommands.h"
#include "cli/transfer_command.h"
#include "commands/command_messages.h"

namespace mk843nb::cli {

// write --port DEV [--backup-first] FILE: Open FILE, Write it (the pager's
// version, the write preparation, the frames and the read-back), then FILE
// holds exactly the image the pager now holds, so a following verify of FILE
// passes. The image as sent goes to the backup store once its verify has run,
// whatever it found. With --backup-first the pager is read and its image stored
// first; when that read or that backup fails, nothing is written, except when
// the pager's memory fails its checksum (a Write broken off): that is kept as a
// damaged backup and written over. Every image read and written is recorded in
// the inventory; nothing is written when the inventory cannot be opened or its
// file cannot be written, nor when the pre-write read cannot be recorded.
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
        CommandOutcome outcome;
        CommandRecording recording(CommandRecording::Need::Writable);
        {
            ConsolePagerCommands pager(options->port, options->trace, recording.Hook());
            WriteRequest request;
            request.backupFirst = *backupFirst;
            outcome = pager.Commands().Write(image, request);
        }
        if (outcome.damagedMemory && outcome.before)
            std::cerr << DamagedMemoryNote(*outcome.before) << '\n';
        // A failed write leaves FILE as it was: the pager may hold part of it only.
        ThrowUnlessSucceeded(outcome);
        std::cout << outcome.link.message->text << '\n' << std::flush;
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
