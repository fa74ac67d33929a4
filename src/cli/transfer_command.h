#pragma once

#include <CLI/CLI.hpp>
#include <memory>
#include <string>

#include "cli/commands.h"
#include "cli/shell_path.h"
#include "link/link_messages.h"
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

// A failed transfer ends the command with the message the window would show;
// a Write that failed after sending frames also says the pager may be half written.
inline void ThrowUnlessSucceeded(const LinkOutcome& outcome) {
    if (outcome.success) return;
    const ExitCode code = outcome.failure == LinkFailure::None ? ExitCode::TransferFailed
                                                               : ExitCodeOf(outcome.failure);
    std::string text = outcome.message ? outcome.message->text : "The transfer failed.";
    if (outcome.writeFramesSent > 0) text += "\n" + PartlyWrittenNote(outcome.writeFramesSent);
    throw CommandFailure(text, code);
}

}  // namespace mk843nb::cli
