#pragma once

#include <initializer_list>

#include "cli/commands.h"

namespace mk843nb::cli {

// Builds the application with --help, --version and the given commands,
// parses the arguments and runs the chosen command. Returns the exit status:
// 0 success, 1 a refused or failed command (its message on stderr), 2 a usage error.
int RunCli(int argc, char** argv, std::initializer_list<CommandRegistrar> commands);

}  // namespace mk843nb::cli
