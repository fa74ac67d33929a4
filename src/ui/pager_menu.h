#pragma once

#include <functional>
#include <optional>

#include "commands/pager_commands.h"

namespace mk843nb {

class DialogService;
class FormBinding;
class FormModel;
class LogWindow;
class WindowLinkEvents;

// The Pager menu of the window: Read, Write, Verify and the read behind
// Compare with pager, run by the one set of pager commands on the window's
// link. Each outcome's box comes at the outcome, before the closing, with the
// window already showing what was read; a verify that found a difference
// offers its fields under "Details…".
class PagerMenu {
public:
    PagerMenu(LinkSession& link, WindowLinkEvents& hooks, FormModel& model, FormBinding& binding,
              DialogService& dialogs);

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

private:
    void SelectPort();
    // At the outcome, before the closing: the refresh after a read, the box.
    void ShowOutcome(const LinkOutcome& outcome);
    void Finish(const CommandOutcome& outcome);

    PagerCommands commands_;
    WindowLinkEvents& hooks_;
    FormModel& model_;
    FormBinding& binding_;
    DialogService& dialogs_;
    PagerImage* readInto_ = nullptr;  // the buffer of the Read under way
};

}  // namespace mk843nb
