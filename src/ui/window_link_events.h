#pragma once

#include <QPointer>
#include <functional>

#include "link/link_events.h"

class QLabel;
class QProgressBar;
class QWidget;

namespace mk843nb {

class FormBinding;
class LogWindow;
class FormModel;

// Renders what the link reports while it works: the status panels, PB1 and the
// whole window's enabling directly; the Pager menu, the firmware version and
// the port the board answered on through the form model, which owns those
// controls, and then the binding shows the model's state.
class WindowLinkEvents : public LinkEvents {
public:
    struct Widgets {
        QWidget* window = nullptr;
        QLabel* status = nullptr;  // panel 1
        QLabel* panel2 = nullptr;
        QProgressBar* progress = nullptr;  // PB1
    };

    WindowLinkEvents(Widgets widgets, FormModel& model, FormBinding& binding);

    void Started(LinkCommand command, std::string_view statusText) override;
    void StageChanged(LinkStage stage, std::string_view statusText) override;
    void Transferring() override;
    void Progress(int position, int maximum) override;
    void RepaintProgress() override;
    void ReplyTimedOut() override;
    void VersionKnown(std::string_view text) override;
    void BoardFound(int index) override;
    bool Outcome(const LinkOutcome& outcome) override;
    void Closed(const LinkClosing& closing) override;
    void FrameOn(std::string_view port, FrameDirection direction,
                 std::span<const std::uint8_t> bytes, std::int64_t timeMs) override;

    // The log the frames go to, when there is one.
    LogWindow* log = nullptr;

    // Shows a command's outcome (refresh, message box); set by the window.
    std::function<void(const LinkOutcome&)> showOutcome;

private:
    void ShowStatus(std::string_view text);
    // Read1, Write1 and Verify1 follow the model's rule: all off while the link
    // runs, then Read1 and Verify1 on and Write1 by the edit mode.
    void SetLinkBusy(bool busy);
    void SetProgressRange(int maximum);

    Widgets w_;
    FormModel& model_;
    FormBinding& binding_;
};

}  // namespace mk843nb
