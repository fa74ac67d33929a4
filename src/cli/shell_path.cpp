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

std::string ShellPortName(const std::string& typed) {
    if (typed.find('/') == std::string::npos) return typed;
    return ShellPath(typed).path.string();
}

CLI::Validator ShellPort() {
    return CLI::Validator(
        [](std::string& port) {
            port = ShellPortName(port);
            return std::string();
        },
        "");
}

}  // namespace mk843nb::cli
