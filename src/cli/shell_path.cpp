#include "cli/shell_path.h"

#include <system_error>

namespace mk843nb::cli {

// Not normalised: "a/link/../b" stays as the kernel resolves it, through the link.
ShellPath::ShellPath(const std::string& text) : typed(text) {
    if (text.empty()) return;
    std::error_code error;
    path = std::filesystem::absolute(text, error);
    if (error) path = text;  // no working folder left: the kernel resolves it as typed
}

}  // namespace mk843nb::cli
