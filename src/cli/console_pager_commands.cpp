#include "cli/console_pager_commands.h"

#include <iostream>
#include <utility>

#include "cli/cli_inventory.h"
#include "cli/subcommands.h"
#include "cli/transfer_command.h"

namespace mk843nb::cli {

ConsolePagerCommands::ConsolePagerCommands(const std::string& port, bool trace,
                                           ImageRecorder record)
    : link_(port, trace, std::cerr),
      commands_(link_.Session(),
                KeepInStore(BackupStore::DefaultFolder(), BackupStore::DefaultKeep()),
                std::move(record)) {}

void ThrowUnlessSucceeded(const CommandOutcome& outcome) {
    if (!outcome.backupError.empty() && outcome.success()) std::cerr << outcome.backupError << '\n';
    if (!outcome.recordError.empty() && outcome.success())
        std::cerr << outcome.recordError << '\n' << kUnrecordedNote << '\n';
    if (outcome.success()) return;
    const LinkOutcome& link = outcome.link;
    const ExitCode code =
        link.failure == LinkFailure::None ? ExitCode::TransferFailed : ExitCodeOf(link.failure);
    std::string text = link.message ? link.message->text : "The transfer failed.";
    if (!link.details.empty()) text += "\n" + link.details;
    // A Write backup lost after a failed verify is still said; a failed
    // pre-write backup is already the message's reason.
    if (!outcome.backupError.empty() && text.find(outcome.backupError) == std::string::npos)
        text += "\n" + outcome.backupError;
    if (!outcome.recordError.empty() && text.find(outcome.recordError) == std::string::npos)
        text += "\n" + outcome.recordError + "\n" + kUnrecordedNote;
    throw CommandFailure(text, code);
}

}  // namespace mk843nb::cli
