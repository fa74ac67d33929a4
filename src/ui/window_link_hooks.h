#pragma once

#include <QPointer>
#include <functional>

#include "link/link_hooks.h"

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
class WindowLinkHooks : public LinkHooks {
public:
    struct Widgets {
        QWidget* window = nullptr;
        QLabel* status = nullptr;  // panel 1
        QLabel* panel2 = nullptr;
        QProgressBar* progress = nullptr;  // PB1
    };

    WindowLinkHooks(Widgets widgets, FormModel& model, FormBinding& binding);

    void SetStatusText(std::string_view text) override;
    void ClearStatusPanel2() override;
    void SetWindowEnabled(bool enabled) override;
    void SetMenuItems(const PagerMenuItems& items) override;
    void SetProgressRange(int minimum, int maximum) override;
    void SetProgress(int position) override;
    void RepaintProgress() override;
    void ShowVersion(std::string_view text) override;
    void SelectPort(int index) override;
    bool ShowOutcome(const LinkOutcome& outcome) override;
    void TraceFrameOn(std::string_view port, FrameDirection direction,
                      std::span<const std::uint8_t> bytes, std::int64_t timeMs) override;

    // The log the frames go to, when there is one.
    LogWindow* log = nullptr;

    // Shows a command's outcome (refresh, message box); set by the window.
    std::function<void(const LinkOutcome&)> showOutcome;

private:
    Widgets w_;
    FormModel& model_;
    FormBinding& binding_;
};

}  // namespace mk843nb
