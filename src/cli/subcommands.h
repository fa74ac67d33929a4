#pragma once

// The subcommands of mk843nb-cli (new, show, set, read, ...). Each lives in its
// own cmd_<name>.cpp and adds itself to the application through its Register
// function, which main.cpp passes to RunCli; each refuses or fails by throwing
// CommandFailure. (The pager commands they run are src/commands.)

#include <stdexcept>
#include <string>

#include "cli/exit_codes.h"

namespace CLI {
class App;
}

namespace mk843nb::cli {

// Thrown from a command's callback when it refuses or fails: what() is the
// system's own message text; RunCli writes it to stderr and exits with code().
class CommandFailure : public std::runtime_error {
public:
    explicit CommandFailure(const std::string& message, ExitCode code = ExitCode::Refused)
        : std::runtime_error(message), code_(code) {}
    ExitCode code() const { return code_; }

private:
    ExitCode code_;
};

using CommandRegistrar = void (*)(CLI::App& app);

void RegisterNewCommand(CLI::App& app);
void RegisterShowCommand(CLI::App& app);
void RegisterSetCommand(CLI::App& app);
void RegisterPortsCommand(CLI::App& app);
void RegisterReadCommand(CLI::App& app);
void RegisterWriteCommand(CLI::App& app);
void RegisterVerifyCommand(CLI::App& app);
void RegisterDiffCommand(CLI::App& app);
void RegisterBackupsCommand(CLI::App& app);
void RegisterFleetCommand(CLI::App& app);
void RegisterHistoryCommand(CLI::App& app);
void RegisterIdentifyCommand(CLI::App& app);
void RegisterInventoryCommand(CLI::App& app);
void RegisterTonesCommand(CLI::App& app);
void RegisterPageCommand(CLI::App& app);

}  // namespace mk843nb::cli
