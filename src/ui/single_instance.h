#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

namespace mk843nb {

// One running copy per user: the first start listens on a local socket named
// after the window caption, in a folder only this user can enter; a later
// start connects, asks the first one to come to the front, and ends without
// showing anything. A socket that answers for another user is never obeyed.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(QString key, QObject* parent = nullptr);
    ~SingleInstance() override;

    // True for the first copy, which now listens (or runs unguarded when no
    // private folder can be had); false when another copy of this user runs
    // (it has been asked to come to the front).
    bool Acquire();

    // The socket name for the window caption and the current user.
    static QString DefaultKey();
    // The socket's path: the key in PrivateRuntimeFolder(); empty without one.
    QString SocketPath() const;
    // $XDG_RUNTIME_DIR when it is a folder of this user's that nobody else may
    // enter; otherwise <temporary folder>/mk843nb-<uid>, made with mode 0700 and
    // checked the same way; when that one is another user's (or open to
    // others), <cache folder>/mk843nb-run-<uid>, and notice says why. Empty
    // when none is safe.
    static QString PrivateRuntimeFolder(QString* notice = nullptr);
    // Why the guard's folder is not the usual one, or why there is no guard;
    // empty when all is as usual. Set by Acquire() and SocketPath().
    QString Notice() const { return notice_; }

signals:
    void activationRequested();

private:
    QString key_;
    QLocalServer* server_ = nullptr;
    mutable QString notice_;
};

}  // namespace mk843nb
