#include "cli/console_commands.h"

#include <iostream>

#include "cli/commands.h"
#include "cli/transfer_command.h"

namespace mk843nb::cli {

ConsoleCommands::ConsoleCommands(const std::string& port, bool trace)
    : link_(port, trace, std::cerr),
      commands_(link_.Session(),
                KeepInStore(BackupStore::DefaultFolder(), BackupStore::DefaultKeep())) {}

void ThrowUnlessSucceeded(const CommandOutcome& outcome) {
    if (!outcome.backupError.empty() && outcome.success()) std::cerr << outcome.backupError << '\n';
    if (outcome.success()) return;
    const LinkOutcome& link = outcome.link;
    const ExitCode code =
        link.failure == LinkFailure::None ? ExitCode::TransferFailed : ExitCodeOf(link.failure);
    std::string text = link.message ? link.message->text : "The transfer failed.";
    if (!link.details.empty()) text += "\n" + link.details;
    throw CommandFailure(text, code);
}

}  // namespace mk843nb::cli
