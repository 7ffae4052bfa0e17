// One running copy per user: the first copy holds a lock file and listens on a local socket;
// a later start finds the lock taken, asks the running copy through the socket to show its
// window and ends without a window of its own.
#pragma once

#include <QLocalServer>
#include <QObject>
#include <QString>

namespace wexfold {

class SingleInstance final : public QObject {
    Q_OBJECT

  public:
    // key names the socket, and with ".lock" behind it the lock file; DefaultKey() is one per
    // user and session.
    explicit SingleInstance(QString key = DefaultKey(), QObject* parent = nullptr);
    ~SingleInstance() override;

    static QString DefaultKey();

    // True when this process is the running copy: it holds the lock and listens. False when
    // another copy holds the lock; that copy has then been asked to show itself (when it
    // answered within a few seconds). Only the lock's holder ever removes the socket, so two
    // copies started together never take the socket from each other.
    bool Claim();

  signals:
    void showRequested();

  private:
    bool NotifyRunningCopy();

    QString key_;
    QLocalServer server_;
    int lock_ = -1;
};

}  // namespace wexfold
