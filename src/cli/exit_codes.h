#pragma once

// The exit statuses of mk843nb-cli, one table for every command, --help and
// the manual, so a script can tell "no board" from "verify found a difference".

#include <array>
#include <initializer_list>
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

// A set of exit statuses, one bit each.
constexpr unsigned ExitCodeSet(std::initializer_list<ExitCode> codes) {
    unsigned set = 0;
    for (ExitCode code : codes) set |= 1u << ToInt(code);
    return set;
}

// The statuses each command can end with, so its --help lists no status a
// script will never see from it. Every command refuses a bad file or value (1)
// and a wrong command line (2); only those that talk to a board go further.
struct CommandExitCodes {
    std::string_view command;  // as typed: "fleet run"
    unsigned codes;
};

inline constexpr unsigned kFileCommandCodes =
    ExitCodeSet({ExitCode::Success, ExitCode::Refused, ExitCode::Usage});
inline constexpr unsigned kBoardCommandCodes =
    kFileCommandCodes | ExitCodeSet({ExitCode::PortOrBoard, ExitCode::TransferFailed});

inline constexpr std::array kCommandExitCodes{
    CommandExitCodes{"new", kFileCommandCodes},
    CommandExitCodes{"show", kFileCommandCodes},
    CommandExitCodes{"set", kFileCommandCodes},
    CommandExitCodes{"ports", kFileCommandCodes},
    CommandExitCodes{"read", kBoardCommandCodes},
    CommandExitCodes{"write", kBoardCommandCodes | ExitCodeSet({ExitCode::VerifyDiffers,
                                                                ExitCode::WrittenNotSaved})},
    CommandExitCodes{"verify", kBoardCommandCodes | ExitCodeSet({ExitCode::VerifyDiffers})},
    CommandExitCodes{"diff", kBoardCommandCodes | ExitCodeSet({ExitCode::VerifyDiffers})},
    CommandExitCodes{"backups", kFileCommandCodes},
    CommandExitCodes{"fleet", kBoardCommandCodes | ExitCodeSet({ExitCode::VerifyDiffers})},
    CommandExitCodes{"fleet plan", kFileCommandCodes},
    CommandExitCodes{"fleet run", kBoardCommandCodes | ExitCodeSet({ExitCode::VerifyDiffers})},
    CommandExitCodes{"fleet export", kFileCommandCodes},
    CommandExitCodes{"history", kFileCommandCodes},
    CommandExitCodes{"identify", kBoardCommandCodes},
    CommandExitCodes{"inventory", kFileCommandCodes},
    CommandExitCodes{"inventory where", kFileCommandCodes},
    CommandExitCodes{"inventory list", kFileCommandCodes},
    CommandExitCodes{"inventory show", kFileCommandCodes},
    CommandExitCodes{"inventory import", kFileCommandCodes},
    CommandExitCodes{"tones", kFileCommandCodes},
    CommandExitCodes{"tones check", kFileCommandCodes},
    CommandExitCodes{"tones suggest", kFileCommandCodes},
    CommandExitCodes{"tones chart", kFileCommandCodes},
    CommandExitCodes{"page", kFileCommandCodes},
};

}  // namespace mk843nb::cli
