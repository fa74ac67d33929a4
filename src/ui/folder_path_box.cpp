#include "ui/folder_path_box.h"

#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace mk843nb {

FolderPathBox::FolderPathBox(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FolderPathBox"));
    setWindowTitle(QStringLiteral("Backup folder"));
    auto* why = new QLabel(
        QStringLiteral("No file manager could be opened. The backups are in this folder:"), this);
    path_ = new QLabel(this);
    path_->setObjectName(QStringLiteral("FolderPath"));
    path_->setTextFormat(Qt::PlainText);
    path_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    path_->setWordWrap(true);
    QFont bold = path_->font();
    bold.setBold(true);
    path_->setFont(bold);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    copy_ = buttons->addButton(QStringLiteral("&Copy"), QDialogButtonBox::ActionRole);
    copy_->setObjectName(QStringLiteral("CopyFolderPath"));
    connect(copy_, &QPushButton::clicked, this, [this] {
        QApplication::clipboard()->setText(path_->text());
        accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(why);
    layout->addWidget(path_);
    layout->addWidget(buttons);
}

void FolderPathBox::ShowFolder(const QString& folder) {
    path_->setText(folder);
    adjustSize();
    copy_->setDefault(true);
    copy_->setFocus();
    open();
}

}  // namespace mk843nb
