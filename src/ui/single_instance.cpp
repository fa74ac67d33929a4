#include "ui/single_instance.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>

#include "image/message.h"

namespace mk843nb {

namespace {

constexpr int kConnectTimeoutMs = 500;

// A real folder (not a link to one) of this user's that nobody else may enter.
bool IsPrivateFolder(const QByteArray& path) {
    struct stat status {};
    return !path.isEmpty() && ::lstat(path.constData(), &status) == 0 && S_ISDIR(status.st_mode) &&
           status.st_uid == ::geteuid() && (status.st_mode & 077) == 0;
}

// Whether the process at the other end of a connected local socket runs as this user.
bool PeerIsThisUser(const QLocalSocket& socket) {
    struct ucred peer {};
    socklen_t size = sizeof peer;
    const auto fd = static_cast<int>(socket.socketDescriptor());
    return fd >= 0 && ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 &&
           peer.uid == ::geteuid();
}

}  // namespace

SingleInstance::SingleInstance(QString key, QObject* parent)
    : QObject(parent), key_(std::move(key)) {}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::DefaultKey() {
    QString caption = QString::fromUtf8(kWindowCaption);
    caption.replace(QLatin1Char(' '), QLatin1Char('_'));
    return caption + QStringLiteral("-%1").arg(getuid());
}

QString SingleInstance::PrivateRuntimeFolder() {
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (IsPrivateFolder(runtime)) return QString::fromLocal8Bit(runtime);
    const QString own = QDir::tempPath() + QStringLiteral("/mk843nb-%1").arg(::geteuid());
    const QByteArray path = QFile::encodeName(own);
    ::mkdir(path.constData(), 0700);  // an existing one is checked like a new one
    return IsPrivateFolder(path) ? own : QString();
}

QString SingleInstance::SocketPath() const {
    const QString folder = PrivateRuntimeFolder();
    return folder.isEmpty() ? QString() : folder + QLatin1Char('/') + key_;
}

bool SingleInstance::Acquire() {
    const QString path = SocketPath();
    if (path.isEmpty()) return true;  // nowhere safe to guard from: the program still runs
    {
        QLocalSocket probe;
        probe.connectToServer(path);
        if (probe.waitForConnected(kConnectTimeoutMs) && PeerIsThisUser(probe)) {
            probe.write("raise\n");
            probe.waitForBytesWritten(kConnectTimeoutMs);
            probe.disconnectFromServer();
            return false;
        }
    }
    // Nobody of this user answered: a socket file left by a copy that crashed is stale.
    QLocalServer::removeServer(path);
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(path)) return true;  // cannot guard, but the program still runs
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* peer = server_->nextPendingConnection()) {
            connect(peer, &QLocalSocket::disconnected, peer, &QObject::deleteLater);
            emit activationRequested();
        }
    });
    return true;
}

}  // namespace mk843nb
