#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QStringList>
#include <QTimer>

namespace mk843nb {

// Tells when serial devices may have come or gone: watches the folders their
// nodes and by-id names live in (/dev, /dev/serial/by-id, the folder of an
// emulator's link) and reports once
// things have settled, since a plugged adapter's node and its by-id link
// appear a moment apart. A folder that does not exist yet is watched from the
// first report after it appears.
class PortWatcher : public QObject {
    Q_OBJECT
public:
    static constexpr int kSettleMs = 300;

    PortWatcher(QStringList folders, int settleMs = kSettleMs, QObject* parent = nullptr);

    // Watches these folders from now on instead of the ones given before.
    void SetFolders(QStringList folders);

    // Asks for another report after the settle time (the window was busy).
    void Retry() { settle_.start(); }

signals:
    void portsMayHaveChanged();

private:
    void WatchWhatExists();

    QStringList folders_;
    QFileSystemWatcher watcher_;
    QTimer settle_;
};

}  // namespace mk843nb
