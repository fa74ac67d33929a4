#include "files/table_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string_view>
#include <system_error>

#include "files/atomic_write.h"
#include "files/table_file_messages.h"
#include "files/table_io.h"

namespace mk843nb {

TableFile::TableFile(TableFileUi& ui, std::filesystem::path startDirectory, FileSystemCalls& calls)
    : ui_(ui),
      calls_(calls),
      startDirectory_(std::move(startDirectory)),
      currentDirectory_(startDirectory_) {}

std::filesystem::path TableFile::Resolve(const std::string& fileName) const {
    const std::filesystem::path path(fileName);
    return path.is_absolute() ? path : currentDirectory_ / path;
}

std::filesystem::path TableFile::BackupPathOf(const std::string& fileName) const {
    return currentDirectory_ / (std::filesystem::path(fileName).stem().string() + ".BAK");
}

void TableFile::ChangeDirectoryTo(const std::filesystem::path& chosen) {
    currentDirectory_ = chosen.lexically_normal().parent_path();
}

FileDialogRequest TableFile::DialogRequest(std::string fileName) const {
    FileDialogRequest request;
    request.initialDir = startDirectory_.string();
    request.fileName = std::move(fileName);
    return request;
}

TableFileOutcome TableFile::OpenTable(PagerImage& image) {
    openFileName_.clear();
    FileDialogRequest request = DialogRequest("");
    request.fileMustExist = true;
    const auto chosen = ui_.ChooseOpenFile(request);
    if (!chosen) return {};
    return OpenTableFile(image, *chosen);
}

TableFileOutcome TableFile::OpenTableFile(PagerImage& image, const std::string& chosen) {
    openFileName_ = chosen;
    const std::filesystem::path path = Resolve(chosen);
    ChangeDirectoryTo(path);
    openFailure_.clear();
    const auto table = ReadTableBytes(path, openFailure_);
    if (!table) {
        ui_.Show(kOpenErrorMessage);
        return {};
    }
    std::copy_n(table->bytes.begin(), table->count, image.begin());
    return {true, std::nullopt};
}

void TableFile::SaveTable(const PagerImage& image) {
    if (saveFileName_ == kDefaultTableName && !ui_.AskYesNo(kSaveDefaultQuestion)) return;
    const std::filesystem::path target = Resolve(saveFileName_);
    std::error_code error;
    if (std::filesystem::exists(target, error)) {
        // An existing backup is never replaced: the first one made is kept.
        const std::filesystem::path backup = BackupPathOf(saveFileName_);
        if (!std::filesystem::exists(backup, error) && !std::filesystem::is_symlink(backup, error))
            KeepBackup(target, backup);
    }
    saveFailure_.clear();
    if (!WriteTableFile(target, image, calls_)) {
        saveFailure_ = SaveFailureReason(target, saveFileName_, errno);
        ui_.Show(kSaveErrorMessage);
    }
}

// The old file gets the backup name as a second name first, so the target
// never goes missing: a crash before the new bytes are renamed over it leaves
// it as it was. A file that cannot take a second name (a symbolic link, a file
// that may not be written, a backup on another file system) is moved instead.
void TableFile::KeepBackup(const std::filesystem::path& target,
                           const std::filesystem::path& backup) {
    struct stat status {};
    const bool plainFile = ::lstat(target.c_str(), &status) == 0 && S_ISREG(status.st_mode) &&
                           ::access(target.c_str(), W_OK) == 0;
    if (!(plainFile && calls_.Link(target.c_str(), backup.c_str()) == 0) &&
        calls_.Rename(target.c_str(), backup.c_str()) != 0)
        return;  // a failed backup is not reported
    SyncFolder(FolderOf(backup), calls_);
}

TableFileOutcome TableFile::SaveTableAs(const PagerImage& image) {
    FileDialogRequest request = DialogRequest(saveFileName_);
    request.confirmOverwrite = true;
    const auto chosen = ui_.ChooseSaveFile(request);
    if (!chosen) return {};
    const std::filesystem::path path = Resolve(*chosen);
    // Save writes to the same file later, wherever the current directory has moved since.
    saveFileName_ = path.string();
    ChangeDirectoryTo(path);
    saveFailure_.clear();
    if (!WriteTableFile(path, image, calls_)) {
        saveFailure_ = SaveFailureReason(path, *chosen, errno);
        ui_.Show(kSaveErrorMessage);
        return {};
    }
    return {false, "File Name:" + ShownSaveName(path)};
}

// A file in or below the start directory shows relative to it (a bare name in
// the start directory itself); any other file shows its whole path, where
// cutting the start directory's length off would leave a meaningless piece.
std::string TableFile::ShownSaveName(const std::filesystem::path& path) const {
    const std::string shown = path.string();
    std::string prefix = startDirectory_.string();
    if (prefix.empty() || prefix.back() != '/') prefix += '/';
    if (shown.size() > prefix.size() && shown.compare(0, prefix.size(), prefix) == 0)
        return shown.substr(prefix.size());
    return shown;
}

TableFileOutcome TableFile::LoadDefaultTable(PagerImage& image) {
    openFileName_ = kDefaultTableName;
    const std::filesystem::path path = currentDirectory_ / kDefaultTableName;
    std::error_code error;
    if (!std::filesystem::exists(path, error)) return {};
    openFailure_.clear();
    const auto table = ReadTableBytes(path, openFailure_);
    if (!table) {
        ui_.Show(kOpenDefaultErrorMessage);
        return {};
    }
    const std::string_view model(
        reinterpret_cast<const char*>(table->bytes.data()) + kModelTagOffset, kModelName.size());
    if (model != kModelName) {
        ui_.Show(kNotMk842DefaultMessage);
        return {};
    }
    image = table->bytes;
    return {true, std::nullopt};
}

}  // namespace mk843nb
