#pragma once

// One SQLite connection per thread for one inventory file: Qt SQL lets a
// connection be used only by the thread that made it. A connection goes when
// its thread ends or when its inventory does, whichever comes first.

#include <QSqlDatabase>
#include <QString>
#include <memory>

namespace mk843nb::inventory {

// How long a call waits for another process's write to end before it fails.
inline constexpr int kBusyTimeoutMs = 15000;

class ThreadConnections {
public:
    enum class Access {
        Write,
        Read,          // the file may not be written: read through SQLite's read-only mode
        ReadOnlyDisk,  // nothing on the disk can change: read without SQLite's shared-memory file,
                       // which it could not make there
    };
    ThreadConnections(const QString& path, Access access);
    ~ThreadConnections();
    ThreadConnections(const ThreadConnections&) = delete;
    ThreadConnections& operator=(const ThreadConnections&) = delete;

    // The calling thread's connection, made on first use; not open when its
    // opening failed (lastError says why), and opened again on the next call.
    QSqlDatabase ForThisThread();

    struct Registry;

private:
    QString name_;  // the file, or its URI
    QString options_;
    std::shared_ptr<Registry> registry_;
};

}  // namespace mk843nb::inventory
