#pragma once

#include <QString>
#include <functional>
#include <string>

#include "image/pager_image.h"

class QWidget;

namespace mk843nb {

class BackupsWindow;
class CompareWindow;
class DialogService;
class FormModel;
struct StoredBackup;

// The window's image beside another (File > Compare with file…, Pager >
// Compare with pager…, a backup) and the list of backups (File > Backups…),
// whose Open replaces the window's image as File > Open does. The other image
// is compared as the window would show it after opening or reading it.
class CompareAndBackups {
public:
    CompareAndBackups(QWidget* window, FormModel& model, DialogService& dialogs);

    CompareWindow* Comparison() const { return compare_; }
    BackupsWindow* Backups() const { return backups_; }

    // The file dialog opens in initialDir.
    void CompareFile(const std::string& initialDir);
    // pager: the 256 bytes just read from it.
    void ComparePager(const PagerImage& pager);
    void ShowBackups();

    // A backup opened: its first count bytes replace the window's image, as an Open's do.
    std::function<void(const PagerImage& bytes, std::size_t count)> openImage;

private:
    void CompareWith(const QString& title, const QString& otherName, const PagerImage& other);
    void CompareBackup(const StoredBackup& backup);
    void OpenBackup(const StoredBackup& backup);

    FormModel& model_;
    DialogService& dialogs_;
    CompareWindow* compare_;
    BackupsWindow* backups_;
};

}  // namespace mk843nb
