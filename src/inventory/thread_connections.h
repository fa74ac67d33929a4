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
    explicit ThreadConnections(QString path);
    ~ThreadConnections();
    ThreadConnections(const ThreadConnections&) = delete;
    ThreadConnections& operator=(const ThreadConnections&) = delete;

    // The calling thread's connection, made on first use; not open when its
    // opening failed (lastError says why), and opened again on the next call.
    QSqlDatabase ForThisThread();

    struct Registry;

private:
    QString path_;
    std::shared_ptr<Registry> registry_;
};

}  // namespace mk843nb::inventory
