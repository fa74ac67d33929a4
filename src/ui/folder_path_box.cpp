#include "ui/folder_path_box.h"

#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace mk843nb {
namespace {

struct Wording {
    const char* caption;
    const char* why;
};

Wording WordingOf(FolderPathBox::Kind kind) {
    switch (kind) {
        case FolderPathBox::Kind::PlanFolder:
            return {"Plan folder", "No file manager could be opened. The plan is in this folder:"};
        case FolderPathBox::Kind::Report:
            return {"Fleet report", "No program could open the report. It is this file:"};
        case FolderPathBox::Kind::Backups:
            break;
    }
    return {"Backup folder", "No file manager could be opened. The backups are in this folder:"};
}

}  // namespace

FolderPathBox::FolderPathBox(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FolderPathBox"));
    why_ = new QLabel(this);
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
    layout->addWidget(why_);
    layout->addWidget(path_);
    layout->addWidget(buttons);
}

void FolderPathBox::ShowPath(Kind kind, const QString& path) {
    const Wording wording = WordingOf(kind);
    setWindowTitle(QString::fromUtf8(wording.caption));
    why_->setText(QString::fromUtf8(wording.why));
    path_->setText(path);
    adjustSize();
    copy_->setDefault(true);
    copy_->setFocus();
    open();
}

}  // namespace mk843nb
