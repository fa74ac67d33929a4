#pragma once

// File > "Backups…": the pager backups of the store, newest first (time, kind,
// model, version, port), with Open, Compare with the window and Show folder.

#include <QDialog>
#include <filesystem>
#include <functional>
#include <vector>

#include "files/backup_store.h"

class QPushButton;
class QTableWidget;
class QUrl;

namespace mk843nb {

class FolderPathBox;

class BackupsWindow : public QDialog {
    Q_OBJECT
public:
    explicit BackupsWindow(QWidget* parent = nullptr);

    // Lists the store's backups again and shows the window.
    void ShowStore(const BackupStore& store);

    // The selected backup, or nullptr.
    const StoredBackup* Selected() const;
    QTableWidget* Table() const { return table_; }

    std::function<void(const StoredBackup&)> open;
    std::function<void(const StoredBackup&)> compare;
    // Opens a folder in the desktop's file manager; false when none could be
    // opened, and then a box says where the folder is.
    std::function<bool(const QUrl&)> openFolder;
    FolderPathBox* PathBox() const { return pathBox_; }

private:
    void ShowFolder();

    QTableWidget* table_;
    QPushButton* openButton_;
    QPushButton* compareButton_;
    FolderPathBox* pathBox_;
    std::filesystem::path folder_;
    std::vector<StoredBackup> backups_;
};

}  // namespace mk843nb
