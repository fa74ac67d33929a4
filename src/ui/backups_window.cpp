#include "ui/backups_window.h"

#include <QDateTime>
#include <QDesktopServices>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QUrl>
#include <QVBoxLayout>

#include "ui/folder_path_box.h"

namespace mk843nb {

BackupsWindow::BackupsWindow(QWidget* parent)
    : QDialog(parent), openFolder(&QDesktopServices::openUrl), pathBox_(new FolderPathBox(this)) {
    setObjectName(QStringLiteral("BackupsWindow"));
    setWindowTitle(QStringLiteral("Backups"));
    table_ = new QTableWidget(0, 5, this);
    table_->setObjectName(QStringLiteral("BackupsTable"));
    table_->setHorizontalHeaderLabels({QStringLiteral("Time"), QStringLiteral("Kind"),
                                       QStringLiteral("Model"), QStringLiteral("Version"),
                                       QStringLiteral("Port")});
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->verticalHeader()->setVisible(false);
    table_->horizontalHeader()->setStretchLastSection(true);

    openButton_ = new QPushButton(QStringLiteral("Open"), this);
    openButton_->setObjectName(QStringLiteral("BackupOpenButton"));
    compareButton_ = new QPushButton(QStringLiteral("Compare with the window"), this);
    compareButton_->setObjectName(QStringLiteral("BackupCompareButton"));
    auto* folder = new QPushButton(QStringLiteral("Show folder"), this);
    folder->setObjectName(QStringLiteral("BackupFolderButton"));
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    connect(openButton_, &QPushButton::clicked, this, [this] {
        if (const StoredBackup* backup = Selected(); backup && open) open(*backup);
    });
    connect(compareButton_, &QPushButton::clicked, this, [this] {
        if (const StoredBackup* backup = Selected(); backup && compare) compare(*backup);
    });
    connect(table_, &QTableWidget::cellDoubleClicked, this, [this] {
        if (const StoredBackup* backup = Selected(); backup && open) open(*backup);
    });
    connect(folder, &QPushButton::clicked, this, &BackupsWindow::ShowFolder);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    connect(table_, &QTableWidget::itemSelectionChanged, this, [this] {
        const bool any = Selected() != nullptr;
        openButton_->setEnabled(any);
        compareButton_->setEnabled(any);
    });

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(openButton_);
    buttons->addWidget(compareButton_);
    buttons->addWidget(folder);
    buttons->addStretch();
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(table_);
    layout->addLayout(buttons);
    resize(700, 400);
}

void BackupsWindow::ShowStore(const BackupStore& store) {
    folder_ = store.Folder();
    backups_ = store.List();
    table_->clearSelection();
    table_->setRowCount(static_cast<int>(backups_.size()));
    for (int row = 0; row < static_cast<int>(backups_.size()); ++row) {
        const BackupInfo& info = backups_[static_cast<std::size_t>(row)].info;
        const auto ms =
            std::chrono::duration_cast<std::chrono::milliseconds>(info.time.time_since_epoch());
        const QString cells[] = {
            QDateTime::fromMSecsSinceEpoch(ms.count())
                .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
            QString::fromUtf8(BackupKindText(info.kind).data(),
                              static_cast<qsizetype>(BackupKindText(info.kind).size())),
            QString::fromStdString(info.modelText), QString::fromStdString(info.firmwareVersion),
            QString::fromStdString(info.portById.empty() ? info.port : info.portById)};
        for (int column = 0; column < 5; ++column)
            table_->setItem(row, column, new QTableWidgetItem(cells[column]));
    }
    table_->resizeColumnsToContents();
    if (!backups_.empty()) table_->selectRow(0);
    openButton_->setEnabled(!backups_.empty());
    compareButton_->setEnabled(!backups_.empty());
    show();
    raise();
}

const StoredBackup* BackupsWindow::Selected() const {
    const auto rows = table_->selectionModel()->selectedRows();
    if (rows.isEmpty()) return nullptr;
    const int row = rows.constFirst().row();
    if (row < 0 || row >= static_cast<int>(backups_.size())) return nullptr;
    return &backups_[static_cast<std::size_t>(row)];
}

void BackupsWindow::ShowFolder() {
    const QString folder = QString::fromStdString(folder_.string());
    QDir().mkpath(folder);
    if (!openFolder || !openFolder(QUrl::fromLocalFile(folder))) pathBox_->ShowFolder(folder);
}

}  // namespace mk843nb
