#include "ui/compare_and_backups.h"

#include <algorithm>
#include <filesystem>

#include "editor/form_model.h"
#include "editor/image_compare.h"
#include "files/backup_store.h"
#include "files/table_file_messages.h"
#include "files/table_io.h"
#include "ui/backups_window.h"
#include "ui/compare_window.h"
#include "ui/dialog_service.h"

namespace mk843nb {
namespace {

// An image as the window holds it after a fresh start and opening a file with
// these bytes, or after a Read of them: the refresh has run.
PagerImage AsWindowShowsIt(const PagerImage& bytes, std::size_t count = kImageSize) {
    FormModel window;
    PagerImage image = window.Image();
    std::copy(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(count), image.begin());
    window.ReplaceImage(image);
    return window.Image();
}

}  // namespace

CompareAndBackups::CompareAndBackups(QWidget* window, FormModel& model, DialogService& dialogs)
    : model_(model),
      dialogs_(dialogs),
      compare_(new CompareWindow(window)),
      backups_(new BackupsWindow(window)) {
    backups_->open = [this](const StoredBackup& backup) { OpenBackup(backup); };
    backups_->compare = [this](const StoredBackup& backup) { CompareBackup(backup); };
}

void CompareAndBackups::CompareWith(const QString& title, const QString& otherName,
                                    const PagerImage& other) {
    compare_->ShowDifferences(title, QStringLiteral("This window"), otherName,
                              CompareImages(model_.Image(), other));
}

void CompareAndBackups::CompareFile(const std::string& initialDir) {
    FileDialogRequest request;
    request.initialDir = initialDir;
    request.fileMustExist = true;
    const auto path = dialogs_.ChooseOpenFile(request);
    if (!path) return;
    const auto bytes = ReadTableBytes(*path);
    if (!bytes) {
        dialogs_.Show(kOpenErrorMessage);
        return;
    }
    CompareWith(QStringLiteral("Compare with file"),
                QString::fromStdString(std::filesystem::path(*path).filename().string()),
                AsWindowShowsIt(bytes->bytes, bytes->count));
}

void CompareAndBackups::ComparePager(const PagerImage& pager) {
    CompareWith(QStringLiteral("Compare with pager"), QStringLiteral("Pager"),
                AsWindowShowsIt(pager));
}

void CompareAndBackups::ShowBackups() {
    backups_->ShowStore(BackupStore(BackupStore::DefaultFolder()));
}

void CompareAndBackups::CompareBackup(const StoredBackup& backup) {
    const auto bytes = ReadTableBytes(backup.table);
    if (!bytes) {
        dialogs_.ShowOver(backups_, kOpenErrorMessage);
        return;
    }
    CompareWith(QStringLiteral("Compare with backup"),
                QString::fromStdString(backup.table.filename().string()),
                AsWindowShowsIt(bytes->bytes, bytes->count));
}

void CompareAndBackups::OpenBackup(const StoredBackup& backup) {
    const auto bytes = ReadTableBytes(backup.table);
    if (!bytes) {
        dialogs_.ShowOver(backups_, kOpenErrorMessage);
        return;
    }
    if (openImage) openImage(bytes->bytes, bytes->count);
}

}  // namespace mk843nb
