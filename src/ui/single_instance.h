#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

namespace mk843nb {

// One running copy per user: the first start listens on a local socket named
// after the window caption; a later start connects, asks the first one to come
// to the front, and ends without showing anything.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(QString key, QObject* parent = nullptr);
    ~SingleInstance() override;

    // True for the first copy, which now listens; false when another copy runs
    // (it has been asked to come to the front).
    bool Acquire();

    // The socket name for the window caption and the current user.
    static QString DefaultKey();

signals:
    void activationRequested();

private:
    QString key_;
    QLocalServer* server_ = nullptr;
};

}  // namespace mk843nb
