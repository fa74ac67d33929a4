#include "ui/log_window.h"

#include <QDateTime>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTimer>
#include <QVBoxLayout>

#include "ui/dialog_service.h"

namespace mk843nb {

namespace {

QString Now() {
    return QDateTime::currentDateTime().toString(QString::fromLatin1(LogWindow::kTimeFormat));
}

}  // namespace

LogWindow::LogWindow(DialogService& dialogs, QWidget* parent) : QDialog(parent), dialogs_(dialogs) {
    setObjectName(QStringLiteral("LogWindow"));
    setWindowTitle(QStringLiteral("Log"));
    view_ = new QPlainTextEdit(this);
    view_->setObjectName(QStringLiteral("LogText"));
    view_->setReadOnly(true);
    view_->setLineWrapMode(QPlainTextEdit::NoWrap);
    view_->setMaximumBlockCount(kMaxLines);
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
    resize(720, 400);
}

void LogWindow::AddFrame(const QString& port, FrameDirection direction,
                         std::span<const std::uint8_t> bytes) {
    QString hex;
    for (std::uint8_t b : bytes) hex += QStringLiteral("%1 ").arg(b, 2, 16, QLatin1Char('0'));
    if (bytes.empty()) hex = QStringLiteral("(nothing)");
    Add(QStringLiteral("%1  %2 %3 %4")
            .arg(Now(), port.isEmpty() ? QStringLiteral("(no port)") : port,
                 direction == FrameDirection::Sent ? QStringLiteral("->") : QStringLiteral("<-"),
                 hex.trimmed().toUpper()));
}

void LogWindow::AddMessage(const QString& text) {
    Add(QStringLiteral("%1  message: %2")
            .arg(Now(), QString(text).replace(QLatin1Char('\n'), QLatin1Char(' '))));
}

void LogWindow::Add(const QString& line) {
    lines_ << line;
    // A long session keeps its newest lines only (so does the view).
    if (lines_.size() > kMaxLines) lines_.remove(0, lines_.size() - kMaxLines);
    if (!isVisible()) return;
    // The view follows the new lines unless the user has scrolled back to read.
    QScrollBar* bar = view_->verticalScrollBar();
    const bool following = bar->value() == bar->maximum();
    view_->appendPlainText(line);
    if (following) bar->setValue(bar->maximum());
}

void LogWindow::ShowNewest() {
    view_->moveCursor(QTextCursor::End);
    view_->verticalScrollBar()->setValue(view_->verticalScrollBar()->maximum());
}

void LogWindow::showEvent(QShowEvent* event) {
    view_->setPlainText(lines_.join(QLatin1Char('\n')));
    QDialog::showEvent(event);
    ShowNewest();
    // The view gets its final height only once the window is laid out.
    QTimer::singleShot(0, this, &LogWindow::ShowNewest);
}

QString LogWindow::SaveFolder() const {
    if (!savedIn_.isEmpty() && QFileInfo(savedIn_).isDir()) return savedIn_;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!documents.isEmpty() && QFileInfo(documents).isDir()) return documents;
    return QDir::homePath();
}

bool LogWindow::SaveLog() {
    FileDialogRequest request;
    request.initialDir = SaveFolder().toStdString();
    request.filter = "Log files (*.log)|*.log";
    request.defaultExt = "log";
    request.fileName = "mk843nb.log";
    request.confirmOverwrite = true;
    request.tableFolder = false;
    const auto chosen = dialogs_.ChooseSaveFile(request);
    if (!chosen) return false;
    const QString path = QString::fromStdString(*chosen);
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(Text().toUtf8()) >= 0 && file.commit()) {
        savedIn_ = QFileInfo(path).absolutePath();
        return true;
    }
    dialogs_.ShowOver(this,
                      Message{MessageKind::Exclamation,
                              "The log could not be saved: " + file.errorString().toStdString()});
    return false;
}

}  // namespace mk843nb
