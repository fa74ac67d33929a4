#include "ui/port_watcher.h"

#include <QFileInfo>

namespace mk843nb {

PortWatcher::PortWatcher(QStringList folders, int settleMs, QObject* parent)
    : QObject(parent), folders_(std::move(folders)) {
    settle_.setSingleShot(true);
    settle_.setInterval(settleMs);
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, &settle_,
            qOverload<>(&QTimer::start));
    connect(&settle_, &QTimer::timeout, this, [this] {
        WatchWhatExists();
        emit portsMayHaveChanged();
    });
    WatchWhatExists();
}

void PortWatcher::SetFolders(QStringList folders) {
    folders_ = std::move(folders);
    const QStringList watched = watcher_.directories();
    for (const QString& folder : watched)
        if (!folders_.contains(folder)) watcher_.removePath(folder);
    WatchWhatExists();
}

void PortWatcher::WatchWhatExists() {
    const QStringList watched = watcher_.directories();
    for (const QString& folder : folders_) {
        if (!watched.contains(folder) && QFileInfo(folder).isDir()) watcher_.addPath(folder);
    }
}

}  // namespace mk843nb
