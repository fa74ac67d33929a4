#pragma once

#include <optional>
#include <string>
#include <vector>

#include "files/table_file_ui.h"

namespace mk843nb::cli {

// The table-file dialogs answered from the command line: the file named on
// it is chosen in whichever dialog opens, questions are answered Yes, and
// messages are collected for the command to report.
class CliTableFileUi : public TableFileUi {
public:
    explicit CliTableFileUi(std::string file) : file_(std::move(file)) {}

    std::optional<std::string> ChooseOpenFile(const FileDialogRequest&) override { return file_; }
    std::optional<std::string> ChooseSaveFile(const FileDialogRequest&) override { return file_; }
    bool AskYesNo(const Message&) override { return true; }
    void Show(const Message& message) override { shown_.push_back(message); }

    const std::vector<Message>& Shown() const { return shown_; }

private:
    std::string file_;
    std::vector<Message> shown_;
};

}  // namespace mk843nb::cli
