#pragma once

// The commands of mk843nb-cli. Each command lives in its own cmd_<name>.cpp
// and adds itself to the application through its Register function, which
// main.cpp passes to RunCli.

#include <stdexcept>

namespace CLI {
class App;
}

namespace mk843nb::cli {

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1;  // refused input or a failed operation
inline constexpr int kExitUsage = 2;    // the command line itself is wrong

// Thrown from a command's callback when it refuses or fails: what() is the
// system's own message text; RunCli writes it to stderr and exits with 1.
class CommandFailure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

using CommandRegistrar = void (*)(CLI::App& app);

void RegisterNewCommand(CLI::App& app);
void RegisterShowCommand(CLI::App& app);
void RegisterSetCommand(CLI::App& app);
void RegisterPortsCommand(CLI::App& app);
void RegisterReadCommand(CLI::App& app);
void RegisterWriteCommand(CLI::App& app);
void RegisterVerifyCommand(CLI::App& app);

}  // namespace mk843nb::cli
