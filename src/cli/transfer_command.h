#pragma once

#include <CLI/CLI.hpp>
#include <memory>
#include <string>

#include "cli/commands.h"
#include "link/link_outcome.h"

namespace mk843nb::cli {

struct TransferOptions {
    std::string port;
    std::string file;
    bool trace = false;
};

// The options read, write and verify share: --port DEV, --trace and FILE.
inline std::shared_ptr<TransferOptions> AddTransferOptions(CLI::App& command,
                                                           const std::string& fileHelp) {
    auto options = std::make_shared<TransferOptions>();
    command
        .add_option("--port", options->port,
                    "the serial port of the board (a name such as ttyUSB0, or a path)")
        ->required();
    command.add_flag("--trace", options->trace, "print every frame sent and received on stderr");
    command.add_option("FILE", options->file, fileHelp)->required();
    return options;
}

// A failed transfer ends the command with the message the window would show.
inline void ThrowUnlessSucceeded(const LinkOutcome& outcome) {
    if (!outcome.success)
        throw CommandFailure(outcome.message ? outcome.message->text : "The transfer failed.");
}

}  // namespace mk843nb::cli
