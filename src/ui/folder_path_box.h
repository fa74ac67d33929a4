#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace mk843nb {

// Says where a folder is when no file manager could show it: the path, to be
// selected with the mouse or taken whole with "Copy" into the clipboard.
class FolderPathBox : public QDialog {
    Q_OBJECT
public:
    explicit FolderPathBox(QWidget* parent = nullptr);

    // Shows the box for folder (window-modal, without waiting for it to close).
    void ShowFolder(const QString& folder);

    QLabel* Path() const { return path_; }
    QPushButton* CopyButton() const { return copy_; }

private:
    QLabel* path_;
    QPushButton* copy_;
};

}  // namespace mk843nb
