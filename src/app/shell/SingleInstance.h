// One running copy per user: the first copy listens on a local socket; a later start finds it
// there, asks it to show its window and ends without a window of its own.
#pragma once

#include <QLocalServer>
#include <QObject>
#include <QString>

namespace wexfold {

class SingleInstance final : public QObject {
    Q_OBJECT

public:
    // key names the socket; DefaultKey() is one per user and session.
    explicit SingleInstance(QString key = DefaultKey(), QObject* parent = nullptr);

    static QString DefaultKey();

    // True when a running copy answered; it has been asked to show itself.
    bool NotifyRunningCopy();

    // Becomes the running copy. A socket left behind by a copy that crashed is taken over.
    bool Listen();

signals:
    void showRequested();

private:
    QString key_;
    QLocalServer server_;
};

}  // namespace wexfold
