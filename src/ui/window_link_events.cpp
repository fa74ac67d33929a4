#include "ui/window_link_events.h"

#include <QLabel>
#include <QProgressBar>
#include <QWidget>
#include <algorithm>

#include "editor/form_model.h"
#include "link/link_outcome.h"
#include "ui/form_binding.h"
#include "ui/log_window.h"

namespace mk843nb {
namespace {

constexpr int kTransferProgress = 256;

}  // namespace

WindowLinkEvents::WindowLinkEvents(Widgets widgets, FormModel& model, FormBinding& binding)
    : w_(widgets), model_(model), binding_(binding) {}

void WindowLinkEvents::ShowStatus(std::string_view text) {
    w_.status->setText(QString::fromUtf8(text.data(), qsizetype(text.size())));
    w_.status->repaint();
}

void WindowLinkEvents::SetLinkBusy(bool busy) {
    model_.SetLinkBusy(busy);
    binding_.ApplyStates();
}

void WindowLinkEvents::SetProgressRange(int maximum) {
    // An empty range means an empty bar; Qt would animate it as "busy" instead.
    w_.progress->setRange(0, std::max(maximum, 1));
}

void WindowLinkEvents::Started(LinkCommand command, std::string_view statusText) {
    ShowStatus(statusText);
    if (command == LinkCommand::Write) {
        w_.panel2->clear();
        w_.panel2->setToolTip(QString());
    }
    w_.window->setEnabled(false);
}

void WindowLinkEvents::StageChanged(LinkStage, std::string_view statusText) {
    ShowStatus(statusText);
}

void WindowLinkEvents::Transferring() {
    SetLinkBusy(true);
    SetProgressRange(kTransferProgress);
}

void WindowLinkEvents::Progress(int position, int maximum) {
    SetProgressRange(maximum);
    w_.progress->setValue(position);
}

void WindowLinkEvents::RepaintProgress() { w_.progress->repaint(); }

void WindowLinkEvents::ReplyTimedOut() { w_.progress->setValue(0); }

void WindowLinkEvents::VersionKnown(std::string_view text) {
    model_.ShowVersion(text);
    binding_.ApplyStates();
}

void WindowLinkEvents::BoardFound(int index) {
    model_.SelectPort(index);
    binding_.ApplyStates();
}

bool WindowLinkEvents::Outcome(const LinkOutcome& outcome) {
    if (!showOutcome) return false;
    // A message box over a disabled window would be disabled with it and could
    // not be closed; the box is modal, so the window takes no input meanwhile.
    w_.window->setEnabled(true);
    showOutcome(outcome);
    return true;
}

void WindowLinkEvents::Closed(const LinkClosing& closing) {
    w_.window->setEnabled(true);
    w_.progress->setValue(0);
    if (closing.statusText) ShowStatus(*closing.statusText);
    if (closing.menuRestored) SetLinkBusy(false);
}

void WindowLinkEvents::FrameOn(std::string_view port, FrameDirection direction,
                               std::span<const std::uint8_t> bytes, std::int64_t /*timeMs*/) {
    if (log != nullptr)
        log->AddFrame(QString::fromUtf8(port.data(), qsizetype(port.size())), direction, bytes);
}

}  // namespace mk843nb
