#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "commands/pager_commands.h"

namespace mk843nb {
namespace inventory {
class Inventory;
}
namespace recording {
class InventoryRecorder;
}

class DialogService;
class FormBinding;
class FormModel;
class LogWindow;
class WindowLinkEvents;

// The Pager menu of the window: Read, Write, Verify and the read behind
// Compare with pager, run by the one set of pager commands on the window's
// link. Each outcome's box comes at the outcome, before the closing, with the
// window already showing what was read; a verify that found a difference
// offers its fields under "Details…". Every image read or written goes to the
// inventory; a Write starts only when the inventory can record it.
class PagerMenu {
public:
    PagerMenu(LinkSession& link, WindowLinkEvents& hooks, FormModel& model, FormBinding& binding,
              DialogService& dialogs);
    ~PagerMenu();

    void Read1Click();
    // backupFirst: "Back up pager before Write" is checked.
    void Write1Click(bool backupFirst);
    void Verify1Click();
    // The pager's 256 bytes as read, or nothing when the read failed (the
    // failure has been shown).
    std::optional<PagerImage> ReadForComparison();

    // The log the outcomes go to, when there is one.
    LogWindow* log = nullptr;
    // After every command, once its box is closed: the window takes what the
    // command changed (the port that answered, the undo history).
    std::function<void(const LinkOutcome&)> finished;
    // Who the records are made by ("" or unset: the login name).
    std::function<std::string()> operatorName;

private:
    void SelectPort();
    // At the outcome, before the closing: the refresh after a read, the box.
    void ShowOutcome(const LinkOutcome& outcome);
    void Finish(const CommandOutcome& outcome);
    // The inventory's recorder, the inventory opened at the first command;
    // nullptr, and why in why, when it cannot be opened.
    recording::InventoryRecorder* Recorder(std::string& why);
    std::string Record(const RecordedImage& recorded);
    void TellUnrecorded(const CommandOutcome& outcome);

    PagerCommands commands_;
    WindowLinkEvents& hooks_;
    FormModel& model_;
    FormBinding& binding_;
    DialogService& dialogs_;
    PagerImage* readInto_ = nullptr;  // the buffer of the Read under way
    std::unique_ptr<inventory::Inventory> inventory_;
    std::unique_ptr<recording::InventoryRecorder> recorder_;
    std::string recorderOperator_;  // the operator recorder_ records as
};

}  // namespace mk843nb
