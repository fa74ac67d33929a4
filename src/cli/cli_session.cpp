#include "cli/cli_session.h"

#include <filesystem>
#include <iostream>

#include "cli/subcommands.h"

namespace mk843nb::cli {

// The file's path is absolute, so the current folder that Open moves does not
// change what Save As writes to.
CliSession::CliSession(const ShellPath& file)
    : file_(file.typed), ui_(file.path.string()), tables_(ui_, std::filesystem::current_path()) {}

void CliSession::OpenFile() {
    PagerImage image = model_.Image();
    tables_.OpenTable(image);
    if (!ui_.Shown().empty()) {
        std::string text = ui_.Shown().front().text;
        if (!tables_.OpenFailure().empty()) text += "\n" + file_ + ": " + tables_.OpenFailure();
        throw CommandFailure(text);
    }
    user_.ReplaceImage(image);
    for (const Message& message : user_.TakeMessages()) std::cerr << message.text << '\n';
}

void CliSession::SaveFileAs(const PagerImage& image) {
    tables_.SaveTableAs(image);
    if (ui_.Shown().empty()) return;
    std::string text = ui_.Shown().front().text;
    if (!tables_.SaveFailure().empty()) text += " " + file_ + ": " + tables_.SaveFailure();
    throw CommandFailure(text);
}

}  // namespace mk843nb::cli
