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

namespace {

// Why a folder that should be this user's alone is not, for the notice; empty
// when it is.
QString WhyNotPrivate(const QByteArray& path) {
    struct stat status {};
    if (::lstat(path.constData(), &status) != 0) return QStringLiteral("cannot be made");
    if (S_ISLNK(status.st_mode)) return QStringLiteral("is a link");
    if (!S_ISDIR(status.st_mode)) return QStringLiteral("is not a folder");
    if (status.st_uid != ::geteuid())
        return QStringLiteral("belongs to another user (uid %1)").arg(status.st_uid);
    if ((status.st_mode & 077) != 0)
        return QStringLiteral("may be entered by other users (mode %1)")
            .arg(status.st_mode & 07777, 4, 8, QLatin1Char('0'));
    return {};
}

// A folder of this user's made with mode 0700 (an existing one is checked like
// a new one); empty when it cannot be had or is not private.
QString OwnFolder(const QString& folder, QString* why = nullptr) {
    const QByteArray path = QFile::encodeName(folder);
    ::mkdir(path.constData(), 0700);
    if (IsPrivateFolder(path)) return folder;
    if (why != nullptr) *why = WhyNotPrivate(path);
    return {};
}

// The place used when the one in the shared temporary folder is taken: under
// the user's own cache folder, which other users cannot reach.
QString HomeRuntimeFolder() {
    const QByteArray cache = qgetenv("XDG_CACHE_HOME");
    const QString base = cache.startsWith('/') ? QFile::decodeName(cache)
                                               : QDir::homePath() + QStringLiteral("/.cache");
    if (!QDir().mkpath(base)) return {};
    return OwnFolder(base + QStringLiteral("/mk843nb-run-%1").arg(::geteuid()));
}

}  // namespace

QString SingleInstance::PrivateRuntimeFolder(QString* notice) {
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (IsPrivateFolder(runtime)) return QString::fromLocal8Bit(runtime);
    const QString shared = QDir::tempPath() + QStringLiteral("/mk843nb-%1").arg(::geteuid());
    QString why;
    if (QString own = OwnFolder(shared, &why); !own.isEmpty()) return own;
    // Someone else holds the usual place: running unguarded there would let two
    // windows of this user write to one board, so the user's own place is used
    // and the user is told, as a folder of another user in /tmp is no accident.
    const QString fallback = HomeRuntimeFolder();
    if (notice != nullptr)
        *notice =
            fallback.isEmpty()
                ? QStringLiteral(
                      "The folder %1 %2, and no private folder could be made; "
                      "a second copy of the program will not be noticed.")
                      .arg(shared, why)
                : QStringLiteral("The folder %1 %2; using %3 instead.").arg(shared, why, fallback);
    return fallback;
}

QString SingleInstance::SocketPath() const {
    notice_.clear();
    const QString folder = PrivateRuntimeFolder(&notice_);
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
    if (!server_->listen(path)) {
        notice_ = QStringLiteral(
                      "%1 cannot be listened on (%2); a second copy of the program "
                      "will not be noticed.")
                      .arg(path, server_->errorString());
        return true;  // cannot guard, but the program still runs
    }
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* peer = server_->nextPendingConnection()) {
            connect(peer, &QLocalSocket::disconnected, peer, &QObject::deleteLater);
            emit activationRequested();
        }
    });
    return true;
}

}  // namespace mk843nb
