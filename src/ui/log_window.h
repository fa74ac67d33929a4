#pragma once

#include <QDialog>
#include <QStringList>
#include <cstdint>
#include <span>

#include "link/link_events.h"

class QPlainTextEdit;

namespace mk843nb {

class DialogService;

// "Show log": the frames of the last transfers, each with the port it went
// over, and the messages they ended with, newest last, every line under the
// local time to the millisecond, to attach to a report with "Save log...".
class LogWindow : public QDialog {
    Q_OBJECT
public:
    static constexpr int kMaxLines = 5000;
    // The time at the head of every line.
    static constexpr const char* kTimeFormat = "yyyy-MM-dd HH:mm:ss.zzz";

    LogWindow(DialogService& dialogs, QWidget* parent = nullptr);

    void AddFrame(const QString& port, FrameDirection direction,
                  std::span<const std::uint8_t> bytes);
    void AddMessage(const QString& text);
    QString Text() const { return lines_.join(QLatin1Char('\n')) + QLatin1Char('\n'); }
    // Asks for a file and writes the log to it whole or not at all; false when it failed.
    bool SaveLog();
    // Where "Save log..." opens: the folder of the last log saved, at first the
    // user's documents folder, or the home folder where there is none.
    QString SaveFolder() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Add(const QString& line);
    void ShowNewest();

    DialogService& dialogs_;
    QStringList lines_;
    QPlainTextEdit* view_ = nullptr;
    QString savedIn_;
};

}  // namespace mk843nb
