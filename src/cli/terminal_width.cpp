#include "cli/terminal_width.h"

#include <sys/ioctl.h>

#include <cstdlib>
#include <string>

namespace mk843nb::cli {

int TerminalColumns(int fd) {
    winsize size{};
    if (::ioctl(fd, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
    if (const char* columns = std::getenv("COLUMNS")) {
        char* end = nullptr;
        const long value = std::strtol(columns, &end, 10);
        if (end != columns && *end == '\0' && value > 0 && value < 10000)
            return static_cast<int>(value);
    }
    return 80;
}

}  // namespace mk843nb::cli
