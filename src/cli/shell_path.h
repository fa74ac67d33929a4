#pragma once

#include <CLI/CLI.hpp>
#include <filesystem>
#include <string>

namespace mk843nb::cli {

// A file or folder named on the command line. It means what the shell means:
// relative to the folder the program was started in. It is resolved once, as
// the arguments are parsed, so nothing later joins it to another folder (the
// table files' current folder, which only the window's dialogs follow).
// CLI11 builds it from the argument's text.
struct ShellPath {
    ShellPath() = default;
    explicit ShellPath(const std::string& typed);

    std::string typed;           // as the user typed it: how messages name it
    std::filesystem::path path;  // absolute ("" for an empty argument)
};

// A serial port as typed: a bare name ("ttyUSB0") is a device under /dev, as
// the port layer takes it; a name with a '/' in it is a path, made absolute
// against the working folder like a ShellPath ("sims/board" would otherwise be
// taken for /dev/sims/board).
std::string ShellPortName(const std::string& typed);

// The transform every --port option takes: ShellPortName as CLI11 parses it.
CLI::Validator ShellPort();

}  // namespace mk843nb::cli
