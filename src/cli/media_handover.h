#pragma once

// The commands that need the sound and drawing libraries (page, tones chart)
// run in a program of their own, mk843nb-cli-media, so that every other
// command starts without loading them. mk843nb-cli parses and checks the
// arguments as usual, then becomes that program with the same arguments.

#include <filesystem>
#include <vector>

namespace mk843nb::cli {

inline constexpr char kMediaProgram[] = "mk843nb-cli-media";

// Kept by RunCli: the arguments the program was started with.
void KeepProgramArguments(int argc, char** argv);

// Where mk843nb-cli-media is looked for, in this order: beside the running
// program (the build tree), then in the installed tree's private folder.
std::vector<std::filesystem::path> MediaProgramPlaces();

// Replaces this process with mk843nb-cli-media run on the kept arguments; only
// returns by throwing a CommandFailure that names where it looked.
[[noreturn]] void HandOverToMediaProgram();

}  // namespace mk843nb::cli
