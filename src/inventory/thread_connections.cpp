#include "inventory/thread_connections.h"

#include <atomic>
#include <mutex>
#include <set>
#include <vector>

namespace mk843nb::inventory {

struct ThreadConnections::Registry {
    std::mutex mutex;
    std::set<QString> names;  // the connections still standing

    // Removes the connection unless the other side (its thread or its inventory) already did.
    void Remove(const QString& name) {
        const std::lock_guard lock(mutex);
        if (names.erase(name) != 0) QSqlDatabase::removeDatabase(name);
    }
};

namespace {

struct HeldName {
    std::weak_ptr<ThreadConnections::Registry> registry;
    QString name;
};

// The connections the current thread made, removed when it ends.
struct ThreadHeld {
    std::vector<HeldName> names;
    ~ThreadHeld() {
        for (const HeldName& held : names)
            if (auto registry = held.registry.lock()) registry->Remove(held.name);
    }
};

thread_local ThreadHeld threadHeld;
std::atomic<unsigned long long> connectionCount{0};

}  // namespace

ThreadConnections::ThreadConnections(QString path)
    : path_(std::move(path)), registry_(std::make_shared<Registry>()) {}

ThreadConnections::~ThreadConnections() {
    const std::lock_guard lock(registry_->mutex);
    for (const QString& name : registry_->names) QSqlDatabase::removeDatabase(name);
    registry_->names.clear();
}

QSqlDatabase ThreadConnections::ForThisThread() {
    auto& names = threadHeld.names;
    for (auto it = names.begin(); it != names.end();) {
        const auto registry = it->registry.lock();
        if (!registry) {
            it = names.erase(it);
            continue;
        }
        if (registry == registry_) {
            QSqlDatabase db = QSqlDatabase::database(it->name, false);
            if (!db.isOpen()) db.open();
            return db;
        }
        ++it;
    }
    const QString name = QStringLiteral("mk843nb-inventory-%1").arg(++connectionCount);
    {
        const std::lock_guard lock(registry_->mutex);
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path_);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyTimeoutMs));
        registry_->names.insert(name);
    }
    names.push_back({registry_, name});
    QSqlDatabase db = QSqlDatabase::database(name, false);
    db.open();
    return db;
}

}  // namespace mk843nb::inventory
