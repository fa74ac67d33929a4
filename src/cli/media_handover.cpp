#include "cli/media_handover.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iostream>
#include <string>
#include <system_error>

#include "cli/subcommands.h"

namespace mk843nb::cli {
namespace {

int keptArgc = 0;
char** keptArgv = nullptr;

}  // namespace

void KeepProgramArguments(int argc, char** argv) {
    keptArgc = argc;
    keptArgv = argv;
}

std::vector<std::filesystem::path> MediaProgramPlaces() {
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return {};
    const std::filesystem::path bin = self.parent_path();
    return {bin / kMediaProgram, (bin / MK843NB_MEDIA_FROM_BIN / kMediaProgram).lexically_normal()};
}

void HandOverToMediaProgram() {
    // What was written so far must be out before the other program writes.
    std::cout.flush();
    std::cerr.flush();
    std::string places;
    int lastError = ENOENT;
    for (const std::filesystem::path& program : MediaProgramPlaces()) {
        if (keptArgc > 0 && keptArgv != nullptr) {
            std::vector<char*> argv(keptArgv, keptArgv + keptArgc);
            argv.push_back(nullptr);
            ::execv(program.c_str(), argv.data());
            lastError = errno;
        }
        places += (places.empty() ? "" : " or ") + program.string();
    }
    throw CommandFailure(std::string("cannot start ") + kMediaProgram +
                         ", which runs this command (" + std::strerror(lastError) +
                         "; looked for " +
                         (places.empty() ? std::string("it beside this program") : places) + ")");
}

}  // namespace mk843nb::cli
