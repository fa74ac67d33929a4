#pragma once

#include <optional>
#include <string>
#include <vector>

#include "files/table_file_ui.h"

namespace mk843nb {

// The table-file dialogs answered without a window: one file, named up front
// (on the command line, or a plan's template), is chosen in whichever dialog
// opens, questions are answered Yes, and messages are collected for the caller
// to report.
class NamedTableFileUi : public TableFileUi {
public:
    explicit NamedTableFileUi(std::string file) : file_(std::move(file)) {}

    std::optional<std::string> ChooseOpenFile(const FileDialogRequest&) override { return file_; }
    std::optional<std::string> ChooseSaveFile(const FileDialogRequest&) override { return file_; }
    bool AskYesNo(const Message&) override { return true; }
    void Show(const Message& message) override { shown_.push_back(message); }

    const std::vector<Message>& Shown() const { return shown_; }

private:
    std::string file_;
    std::vector<Message> shown_;
};

}  // namespace mk843nb
