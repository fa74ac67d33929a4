#pragma once

// The exit statuses of mk843nb-cli, one table for every command, --help and
// the manual, so a script can tell "no board" from "verify found a difference".

#include <array>
#include <string_view>

namespace mk843nb::cli {

enum class ExitCode : int {
    Success = 0,
    Refused = 1,          // refused input, or a file that cannot be read or written
    Usage = 2,            // the command line itself is wrong
    PortOrBoard = 3,      // the port cannot be used or the board does not answer
    TransferFailed = 4,   // read or write error, checksum, another model, hang-up
    VerifyDiffers = 5,    // verify found a difference (also in write's verify step)
    WrittenNotSaved = 6,  // the pager was written and verified, FILE could not be rewritten
};

struct ExitCodeInfo {
    ExitCode code;
    std::string_view meaning;
};

inline constexpr std::array kExitCodes{
    ExitCodeInfo{ExitCode::Success, "success"},
    ExitCodeInfo{ExitCode::Refused, "refused input, or a file that cannot be read or written"},
    ExitCodeInfo{ExitCode::Usage, "usage error"},
    ExitCodeInfo{ExitCode::PortOrBoard, "the port cannot be used or the board does not answer"},
    ExitCodeInfo{ExitCode::TransferFailed,
                 "the transfer failed (read or write error, checksum, another model, hang-up)"},
    ExitCodeInfo{ExitCode::VerifyDiffers, "verify found a difference"},
    ExitCodeInfo{ExitCode::WrittenNotSaved,
                 "the pager was written and verified, but FILE could not be rewritten"},
};

constexpr int ToInt(ExitCode code) { return static_cast<int>(code); }

}  // namespace mk843nb::cli
