#pragma once

#include <CLI/CLI.hpp>
#include <memory>
#include <string>

#include "cli/shell_path.h"
#include "cli/subcommands.h"
#include "link/link_outcome.h"

namespace mk843nb::cli {

struct TransferOptions {
    std::string port;
    ShellPath file;
    bool trace = false;
};

// The options read, write and verify share: --port DEV, --trace and FILE.
inline std::shared_ptr<TransferOptions> AddTransferOptions(CLI::App& command,
                                                           const std::string& fileHelp) {
    auto options = std::make_shared<TransferOptions>();
    command
        .add_option("--port", options->port,
                    "the serial port of the board (a name such as ttyUSB0, or a path)")
        ->required()
        ->transform(ShellPort());
    command.add_flag("--trace", options->trace, "print every frame sent and received on stderr");
    command.add_option("FILE", options->file, fileHelp)->required();
    return options;
}

// The exit status of a transfer that did not succeed.
inline ExitCode ExitCodeOf(LinkFailure failure) {
    switch (failure) {
        case LinkFailure::None:
            return ExitCode::Success;
        case LinkFailure::PortOrBoard:
            return ExitCode::PortOrBoard;
        case LinkFailure::Refused:
            return ExitCode::Refused;
        case LinkFailure::Transfer:
            return ExitCode::TransferFailed;
        case LinkFailure::VerifyDiffers:
            return ExitCode::VerifyDiffers;
    }
    return ExitCode::TransferFailed;
}

}  // namespace mk843nb::cli
