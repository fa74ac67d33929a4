#pragma once

#include <filesystem>
#include <initializer_list>
#include <string>

#include "cli/subcommands.h"

namespace mk843nb::cli {

// The exit-status table as --help prints it, one status a line: those in
// codes (a set from ExitCodeSet), all of them by default.
std::string ExitCodesHelp(unsigned codes = ~0u);

// A file-system failure as the user reads it: the file, then the reason
// ("/x/y: Permission denied"), without the library's call name.
std::string FileSystemErrorText(const std::filesystem::filesystem_error& error);

// Builds the application with --help, --version and the given commands,
// parses the arguments and runs the chosen command. Returns the exit status
// from the table in exit_codes.h (a failed command's message goes to stderr).
int RunCli(int argc, char** argv, std::initializer_list<CommandRegistrar> commands);

}  // namespace mk843nb::cli
