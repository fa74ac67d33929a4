#include "ui/window_link_hooks.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QWidget>
#include <algorithm>

#include "editor/form_model.h"
#include "link/link_outcome.h"
#include "ui/form_binding.h"

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

void WindowLinkHooks::SetMenuItems(const PagerMenuItems& items) {
    const bool busy = !items.read1 && !items.verify1;
    model_.SetLinkBusy(busy);
    binding_.ApplyStates();
    // The link's word on the three items holds while it runs and at its end.
    for (const auto& [name, enabled] :
         {std::pair{"Read1", items.read1}, std::pair{"Write1", items.write1},
          std::pair{"Verify1", items.verify1}}) {
        if (auto* action = qobject_cast<QAction*>(binding_.Object(QString::fromLatin1(name))))
            action->setEnabled(enabled);
    }
}

void WindowLinkHooks::SetProgressRange(int minimum, int maximum) {
    // An empty range means an empty bar; Qt would animate it as "busy" instead.
    w_.progress->setRange(minimum, std::max(maximum, minimum + 1));
}

void WindowLinkHooks::SetProgress(int position) { w_.progress->setValue(position); }

void WindowLinkHooks::RepaintProgress() { w_.progress->repaint(); }

void WindowLinkHooks::ShowVersion(std::string_view text) {
    model_.SetVersionShown(true);
    binding_.ApplyStates();
    if (auto* edit = qobject_cast<QLineEdit*>(binding_.Object(QStringLiteral("edtVersion"))))
        edit->setText(QString::fromUtf8(text.data(), qsizetype(text.size())));
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
    const ControlState* port = model_.Find("cboPort");
    if (port == nullptr) return;
    model_.SetPorts(port->items, index);
    binding_.ApplyStates();
}

}  // namespace mk843nb
