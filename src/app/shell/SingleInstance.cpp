#include "app/shell/SingleInstance.h"

#include <unistd.h>

#include <QLocalSocket>

namespace wexfold {
namespace {

constexpr int kConnectMillis = 500;
constexpr char kShowRequest[] = "show\n";

}  // namespace

SingleInstance::SingleInstance(QString key, QObject* parent)
    : QObject(parent), key_(std::move(key)) {
    connect(&server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* peer = server_.nextPendingConnection()) {
            connect(peer, &QLocalSocket::readyRead, this, [this, peer] {
                if (peer->readAll().contains("show")) emit showRequested();
                peer->disconnectFromServer();
            });
            connect(peer, &QLocalSocket::disconnected, peer, &QObject::deleteLater);
        }
    });
}

QString SingleInstance::DefaultKey() {
    // The user's runtime folder when the session has one, else a name of the user's own.
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (runtime.startsWith(QLatin1Char('/'))) return runtime + QStringLiteral("/wexfold.socket");
    return QStringLiteral("wexfold-%1").arg(static_cast<qulonglong>(::getuid()));
}

bool SingleInstance::NotifyRunningCopy() {
    QLocalSocket socket;
    socket.connectToServer(key_);
    if (!socket.waitForConnected(kConnectMillis)) return false;
    socket.write(kShowRequest);
    socket.waitForBytesWritten(kConnectMillis);
    socket.disconnectFromServer();
    return true;
}

bool SingleInstance::Listen() {
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    if (server_.listen(key_)) return true;
    // Nobody answered on the key (checked before), so the socket is a leftover.
    QLocalServer::removeServer(key_);
    return server_.listen(key_);
}

}  // namespace wexfold
