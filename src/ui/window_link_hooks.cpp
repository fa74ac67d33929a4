#include "ui/window_link_hooks.h"

#include <QLabel>
#include <QProgressBar>
#include <QWidget>
#include <algorithm>

#include "editor/form_model.h"
#include "link/link_outcome.h"
#include "ui/form_binding.h"
#include "ui/log_window.h"

namespace mk843nb {

WindowLinkHooks::WindowLinkHooks(Widgets widgets, FormModel& model, FormBinding& binding)
    : w_(widgets), model_(model), binding_(binding) {}

void WindowLinkHooks::SetStatusText(std::string_view text) {
    w_.status->setText(QString::fromUtf8(text.data(), qsizetype(text.size())));
    w_.status->repaint();
}

void WindowLinkHooks::ClearStatusPanel2() {
    w_.panel2->clear();
    w_.panel2->setToolTip(QString());
}

void WindowLinkHooks::SetWindowEnabled(bool enabled) { w_.window->setEnabled(enabled); }

// Read1, Write1 and Verify1 follow the model's rule: all off while the link
// runs, then Read1 and Verify1 on and Write1 by the edit mode, which is what
// the link asks for at the end (Write is only offered in Write Mode).
void WindowLinkHooks::SetMenuItems(const PagerMenuItems& items) {
    model_.SetLinkBusy(!items.read1 && !items.verify1);
    binding_.ApplyStates();
}

void WindowLinkHooks::SetProgressRange(int minimum, int maximum) {
    // An empty range means an empty bar; Qt would animate it as "busy" instead.
    w_.progress->setRange(minimum, std::max(maximum, minimum + 1));
}

void WindowLinkHooks::SetProgress(int position) { w_.progress->setValue(position); }

void WindowLinkHooks::RepaintProgress() { w_.progress->repaint(); }

void WindowLinkHooks::ShowVersion(std::string_view text) {
    model_.ShowVersion(text);
    binding_.ApplyStates();
}

// The log tells the time by the wall clock, as the messages beside the frames
// do; the link clock's milliseconds only order the frames of one transfer.
void WindowLinkHooks::TraceFrameOn(std::string_view port, FrameDirection direction,
                                   std::span<const std::uint8_t> bytes, std::int64_t /*timeMs*/) {
    if (log != nullptr)
        log->AddFrame(QString::fromUtf8(port.data(), qsizetype(port.size())), direction, bytes);
}

bool WindowLinkHooks::ShowOutcome(const LinkOutcome& outcome) {
    if (!showOutcome) return false;
    // A message box over a disabled window would be disabled with it and could
    // not be closed; the box is modal, so the window takes no input meanwhile.
    w_.window->setEnabled(true);
    showOutcome(outcome);
    return true;
}

void WindowLinkHooks::SelectPort(int index) {
    model_.SelectPort(index);
    binding_.ApplyStates();
}

}  // namespace mk843nb
