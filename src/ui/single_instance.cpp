#include "ui/single_instance.h"

#include <unistd.h>

#include <QLocalServer>
#include <QLocalSocket>

#include "image/message.h"

namespace mk843nb {

namespace {
constexpr int kConnectTimeoutMs = 500;
}

SingleInstance::SingleInstance(QString key, QObject* parent)
    : QObject(parent), key_(std::move(key)) {}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::DefaultKey() {
    QString caption = QString::fromUtf8(kWindowCaption);
    caption.replace(QLatin1Char(' '), QLatin1Char('_'));
    return caption + QStringLiteral("-%1").arg(getuid());
}

bool SingleInstance::Acquire() {
    {
        QLocalSocket probe;
        probe.connectToServer(key_);
        if (probe.waitForConnected(kConnectTimeoutMs)) {
            probe.write("raise\n");
            probe.waitForBytesWritten(kConnectTimeoutMs);
            probe.disconnectFromServer();
            return false;
        }
    }
    // Nobody answered: a socket file left by a copy that crashed is stale.
    QLocalServer::removeServer(key_);
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(key_)) return true;  // cannot guard, but the program still runs
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* peer = server_->nextPendingConnection()) {
            connect(peer, &QLocalSocket::disconnected, peer, &QObject::deleteLater);
            emit activationRequested();
        }
    });
    return true;
}

}  // namespace mk843nb
