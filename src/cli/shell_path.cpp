#include "cli/shell_path.h"

#include <system_error>

namespace mk843nb::cli {

namespace {

// "./board" names the same file as "board" whatever links lie on the way, so
// the "." steps go (reports and backups then name the port as a user knows it).
// ".." stays: "a/link/../b" is resolved by the kernel through the link.
std::filesystem::path WithoutDotSteps(const std::filesystem::path& path) {
    std::filesystem::path kept;
    for (const std::filesystem::path& step : path)
        if (step != ".") kept /= step;
    return kept.empty() ? path : kept;
}

}  // namespace

ShellPath::ShellPath(const std::string& text) : typed(text) {
    if (text.empty()) return;
    std::error_code error;
    path = WithoutDotSteps(std::filesystem::absolute(text, error));
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
