#include "ui/dialog_service.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QStringList>

#include "ui/app_settings.h"
#include "ui/file_type_guard.h"

namespace mk843nb {

namespace {

QMessageBox::Icon IconOf(MessageKind kind) {
    switch (kind) {
        case MessageKind::Exclamation:
        case MessageKind::Question:
            return QMessageBox::Warning;
        case MessageKind::Stop:
            return QMessageBox::Critical;
        case MessageKind::Information:
            return QMessageBox::Information;
        case MessageKind::Plain:
            break;
    }
    return QMessageBox::NoIcon;
}

int Box(QWidget* parent, const Message& message, QMessageBox::StandardButtons buttons) {
    QMessageBox box(IconOf(message.kind), QString::fromUtf8(CaptionOf(message.kind)),
                    QString::fromStdString(message.text), buttons, parent);
    return box.exec();
}

}  // namespace

void DialogService::ShowOver(QWidget* window, const Message& message) {
    QWidget* previous = Parent();
    SetParent(window);
    Show(message);
    SetParent(previous);
}

void DialogService::ShowWithDetails(const Message& message, const std::string&) { Show(message); }

QString QtNameFilter(const std::string& filter) {
    const QStringList parts = QString::fromStdString(filter).split(QLatin1Char('|'));
    QStringList names;
    for (int i = 0; i < parts.size(); i += 2) names << parts.at(i);
    return names.join(QStringLiteral(";;"));
}

std::optional<std::string> QtDialogService::Run(QFileDialog& dialog,
                                                const FileDialogRequest& request) {
    dialog.setNameFilter(QtNameFilter(request.filter));
    dialog.setDefaultSuffix(QString::fromStdString(request.defaultExt));
    QString folder = QString::fromStdString(request.initialDir);
    const bool remembered = settings_ != nullptr && request.tableFolder;
    if (remembered && QFileInfo(settings_->LastFolder()).isDir()) folder = settings_->LastFolder();
    dialog.setDirectory(folder);
    if (!request.fileName.empty()) dialog.selectFile(QString::fromStdString(request.fileName));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    const QString chosen = dialog.selectedFiles().constFirst();
    if (remembered) settings_->SetLastFolder(QFileInfo(chosen).absolutePath());
    return chosen.toStdString();
}

std::optional<std::string> QtDialogService::ChooseOpenFile(const FileDialogRequest& request) {
    // The provider outlives the dialog: its model may ask it until the dialog is gone.
    NameOnlyIconProvider icons;
    QFileDialog dialog(Parent());
    dialog.setIconProvider(&icons);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(request.fileMustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    if (request.folder) {
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::ShowDirsOnly, true);
    }
    return Run(dialog, request);
}

std::optional<std::string> QtDialogService::ChooseSaveFile(const FileDialogRequest& request) {
    NameOnlyIconProvider icons;
    QFileDialog dialog(Parent());
    dialog.setIconProvider(&icons);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.confirmOverwrite);
    return Run(dialog, request);
}

bool QtDialogService::AskYesNo(const Message& question) {
    return Box(Parent(), question, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

void QtDialogService::Show(const Message& message) { Box(Parent(), message, QMessageBox::Ok); }

std::optional<std::string> QtDialogService::AskText(const std::string& title,
                                                    const std::string& question,
                                                    const std::string& current) {
    bool ok = false;
    const QString text = QInputDialog::getText(Parent(), QString::fromStdString(title),
                                               QString::fromStdString(question), QLineEdit::Normal,
                                               QString::fromStdString(current), &ok);
    if (!ok) return std::nullopt;
    return text.toStdString();
}

void QtDialogService::ShowWithDetails(const Message& message, const std::string& details) {
    if (details.empty()) {
        Show(message);
        return;
    }
    QMessageBox box(IconOf(message.kind), QString::fromUtf8(CaptionOf(message.kind)),
                    QString::fromStdString(message.text), QMessageBox::Ok, Parent());
    QPushButton* more = box.addButton(QStringLiteral("Details…"), QMessageBox::ActionRole);
    box.exec();
    if (box.clickedButton() != more) return;
    // The details belong to the same message: its icon stays with them.
    QMessageBox list(IconOf(message.kind), QString::fromUtf8(CaptionOf(message.kind)),
                     QString::fromStdString(message.text), QMessageBox::Ok, Parent());
    list.setInformativeText(QString::fromStdString(details));
    list.exec();
}

}  // namespace mk843nb
