#pragma once

#include <string>

#include "cli/shell_path.h"
#include "sound/call_page.h"

namespace mk843nb::cli {

struct PageOptions {
    ShellPath file;
    PageRequest request;
    ShellPath wav;
    bool play = false;
    std::string device;
    bool listDevices = false;
    int rate = 48000;
};

// page's work: the page described, rendered, written and played. It needs the
// sound libraries, which the command line loads only for it: in mk843nb-cli
// this hands the command to mk843nb-cli-media, which runs it.
void RunPage(const PageOptions& options);

}  // namespace mk843nb::cli
