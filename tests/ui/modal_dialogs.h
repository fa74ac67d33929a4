#pragma once

#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <functional>

#include "recording_dialogs.h"

namespace mk843nb::test {

// Records every message like RecordingDialogs, and also raises a real modal
// message box for it, closed by a timer once it is up: the box takes the
// focus and the activation from the window as it does for a user, so focus
// rules that only hold with non-modal stand-ins show up in tests.
class ModalDialogs : public RecordingDialogs {
public:
    void Show(const Message& message) override {
        RecordingDialogs::Show(message);
        QMessageBox box(QMessageBox::Warning, QString::fromUtf8(CaptionOf(message.kind)),
                        QString::fromStdString(message.text), QMessageBox::Ok, Parent());
        QTimer::singleShot(30, &box, [this, &box, &message] {
            if (whileShown) whileShown(message);
            box.accept();
        });
        box.exec();
    }

    // Runs while each box is up: lets a test look at the window behind it.
    std::function<void(const Message&)> whileShown;
};

}  // namespace mk843nb::test
