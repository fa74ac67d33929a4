#include "ui/log_window.h"

#include <QDateTime>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QVBoxLayout>

#include "ui/dialog_service.h"

namespace mk843nb {

LogWindow::LogWindow(DialogService& dialogs, QWidget* parent) : QDialog(parent), dialogs_(dialogs) {
    setObjectName(QStringLiteral("LogWindow"));
    setWindowTitle(QStringLiteral("Log"));
    view_ = new QPlainTextEdit(this);
    view_->setObjectName(QStringLiteral("LogText"));
    view_->setReadOnly(true);
    view_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    view_->setAccessibleName(QStringLiteral("Log"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    QPushButton* save =
        buttons->addButton(QStringLiteral("&Save log..."), QDialogButtonBox::ActionRole);
    save->setObjectName(QStringLiteral("SaveLog"));
    connect(save, &QPushButton::clicked, this, [this] { SaveLog(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(view_);
    layout->addWidget(buttons);
    resize(640, 400);
}

void LogWindow::AddFrame(FrameDirection direction, std::span<const std::uint8_t> bytes,
                         std::int64_t timeMs) {
    QString hex;
    for (std::uint8_t b : bytes) hex += QStringLiteral("%1 ").arg(b, 2, 16, QLatin1Char('0'));
    Add(QStringLiteral("%1 ms %2 %3")
            .arg(timeMs, 8)
            .arg(direction == FrameDirection::Sent ? QStringLiteral("->") : QStringLiteral("<-"))
            .arg(hex.trimmed().toUpper()));
}

void LogWindow::AddMessage(const QString& text) {
    Add(QStringLiteral("%1 message: %2")
            .arg(QDateTime::currentDateTime().toString(Qt::ISODate))
            .arg(QString(text).replace(QLatin1Char('\n'), QLatin1Char(' '))));
}

void LogWindow::Add(const QString& line) {
    lines_ << line;
    // A long session keeps its newest lines only.
    if (lines_.size() > kMaxLines) lines_.remove(0, lines_.size() - kMaxLines);
    if (isVisible()) view_->appendPlainText(line);
}

void LogWindow::showEvent(QShowEvent* event) {
    view_->setPlainText(lines_.join(QLatin1Char('\n')));
    QDialog::showEvent(event);
}

bool LogWindow::SaveLog() {
    FileDialogRequest request;
    request.filter = "Log files (*.log)|*.log";
    request.defaultExt = "log";
    request.fileName = "mk843nb.log";
    request.confirmOverwrite = true;
    const auto chosen = dialogs_.ChooseSaveFile(request);
    if (!chosen) return false;
    QSaveFile file(QString::fromStdString(*chosen));
    if (file.open(QIODevice::WriteOnly) && file.write(Text().toUtf8()) >= 0 && file.commit())
        return true;
    dialogs_.ShowOver(this,
                      Message{MessageKind::Exclamation,
                              "The log could not be saved: " + file.errorString().toStdString()});
    return false;
}

}  // namespace mk843nb
