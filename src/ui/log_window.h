#pragma once

#include <QDialog>
#include <QStringList>
#include <cstdint>
#include <span>

#include "link/link_events.h"

class QPlainTextEdit;

namespace mk843nb {

class DialogService;

// "Show log": the frames of the last transfers with their times and the
// messages they ended with, newest last, to attach to a report with "Save log...".
class LogWindow : public QDialog {
    Q_OBJECT
public:
    static constexpr int kMaxLines = 5000;

    LogWindow(DialogService& dialogs, QWidget* parent = nullptr);

    void AddFrame(FrameDirection direction, std::span<const std::uint8_t> bytes,
                  std::int64_t timeMs);
    void AddMessage(const QString& text);
    QString Text() const { return lines_.join(QLatin1Char('\n')) + QLatin1Char('\n'); }
    // Asks for a file and writes the log to it whole or not at all; false when it failed.
    bool SaveLog();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Add(const QString& line);

    DialogService& dialogs_;
    QStringList lines_;
    QPlainTextEdit* view_ = nullptr;
};

}  // namespace mk843nb
