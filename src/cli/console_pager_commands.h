#pragma once

#include <string>

#include "cli/cli_application.h"
#include "commands/pager_commands.h"
#include "link/console_link.h"

namespace mk843nb::cli {

// The pager commands (src/commands) of one subcommand on the console: the
// console link on the one port given, backups stored silently in the backup
// store (`backups` lists them), records told to record when given.
class ConsolePagerCommands {
public:
    ConsolePagerCommands(const std::string& port, bool trace, ImageRecorder record = {});

    PagerCommands& Commands() { return commands_; }

private:
    ScopedApplication app_;  // made before the link, whose waits need it; ended after it
    ConsoleLink link_;
    PagerCommands commands_;
};

// A backup or a record the command could not store is said on stderr; a command that did
// not succeed then ends with the message the window would show (after a failed
// verify, one line per differing field) and the exit status of its failure class.
void ThrowUnlessSucceeded(const CommandOutcome& outcome);

}  // namespace mk843nb::cli
