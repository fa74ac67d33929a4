#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ui/dialog_service.h"

namespace mk843nb::test {

// Stands in for the real message boxes and file dialogs: records what would
// have been shown and answers as the test tells it.
class RecordingDialogs : public DialogService {
public:
    struct Shown {
        MessageKind kind;
        std::string text;
        std::string caption;
    };

    std::optional<std::string> ChooseOpenFile(const FileDialogRequest& request) override {
        requests.push_back(request);
        return Next(openAnswers);
    }
    std::optional<std::string> ChooseSaveFile(const FileDialogRequest& request) override {
        requests.push_back(request);
        return Next(saveAnswers);
    }
    bool AskYesNo(const Message& question) override {
        Record(question);
        const bool yes = yesNoAnswers.empty() ? false : yesNoAnswers.front();
        if (!yesNoAnswers.empty()) yesNoAnswers.pop_front();
        return yes;
    }
    void Show(const Message& message) override { Record(message); }
    void ShowWithDetails(const Message& message, const std::string& text) override {
        Record(message);
        details.push_back(text);
    }

    std::optional<std::string> AskText(const std::string& title, const std::string& question,
                                       const std::string& current) override {
        asked.push_back({title, question, current});
        return Next(textAnswers);
    }

    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const Shown& s : shown) texts.push_back(s.text);
        return texts;
    }

    std::vector<Shown> shown;
    std::vector<FileDialogRequest> requests;
    std::deque<std::optional<std::string>> openAnswers, saveAnswers;
    std::deque<bool> yesNoAnswers;
    struct Asked {
        std::string title, question, current;
    };
    std::vector<Asked> asked;  // every line of text asked for
    std::deque<std::optional<std::string>> textAnswers;
    std::vector<std::string> details;  // of the boxes that offered "Details…"
    // Runs as each box or question is raised, while the program waits for it.
    std::function<void(const Message&)> onShow;

private:
    void Record(const Message& m) {
        shown.push_back({m.kind, m.text, std::string(CaptionOf(m.kind))});
        if (onShow) onShow(m);
    }
    static std::optional<std::string> Next(std::deque<std::optional<std::string>>& answers) {
        if (answers.empty()) return std::nullopt;
        auto answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

}  // namespace mk843nb::test
