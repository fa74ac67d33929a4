#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace mk843nb {

// Says where a folder or a file is when no file manager could show it: the
// path, to be selected with the mouse or taken whole with "Copy" into the clipboard.
class FolderPathBox : public QDialog {
    Q_OBJECT
public:
    // What the path is: the box's caption and its first line say so.
    enum class Kind { Backups, PlanFolder, Report };

    explicit FolderPathBox(QWidget* parent = nullptr);

    // Shows the box for path (window-modal, without waiting for it to close).
    void ShowFolder(const QString& folder) { ShowPath(Kind::Backups, folder); }
    void ShowPath(Kind kind, const QString& path);

    QLabel* Why() const { return why_; }
    QLabel* Path() const { return path_; }
    QPushButton* CopyButton() const { return copy_; }

private:
    QLabel* why_;
    QLabel* path_;
    QPushButton* copy_;
};

}  // namespace mk843nb
