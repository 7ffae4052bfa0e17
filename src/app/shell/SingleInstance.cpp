#include "app/shell/SingleInstance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QLocalSocket>
#include <QThread>

namespace wexfold {
namespace {

constexpr int kConnectMillis = 500;
// How long a later copy waits for the lock's holder to listen: it may have started a moment
// before and still be loading.
constexpr int kRunningCopyMillis = 5000;
constexpr char kShowRequest[] = "show\n";

// The lock file beside the socket; a key that is no path lies in the temporary folder, as
// QLocalServer puts its socket there.
QString LockPath(const QString& key) {
    const QString path = key + QStringLiteral(".lock");
    return path.startsWith(QLatin1Char('/')) ? path : QDir::tempPath() + QLatin1Char('/') + path;
}

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

SingleInstance::~SingleInstance() {
    if (lock_ >= 0) ::close(lock_);
}

QString SingleInstance::DefaultKey() {
    // The user's runtime folder when the session has one, else a name of the user's own.
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (runtime.startsWith(QLatin1Char('/'))) return runtime + QStringLiteral("/wexfold.socket");
    return QStringLiteral("wexfold-%1").arg(static_cast<qulonglong>(::getuid()));
}

bool SingleInstance::NotifyRunningCopy() {
    QElapsedTimer waited;
    waited.start();
    do {
        QLocalSocket socket;
        socket.connectToServer(key_);
        if (socket.waitForConnected(kConnectMillis)) {
            socket.write(kShowRequest);
            socket.waitForBytesWritten(kConnectMillis);
            socket.disconnectFromServer();
            return true;
        }
        QThread::msleep(100);
    } while (waited.elapsed() < kRunningCopyMillis);
    return false;
}

bool SingleInstance::Claim() {
    const QByteArray path = LockPath(key_).toLocal8Bit();
    lock_ = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (lock_ >= 0 && ::flock(lock_, LOCK_EX | LOCK_NB) != 0) {
        ::close(lock_);
        lock_ = -1;
        NotifyRunningCopy();
        return false;
    }
    // The lock is ours (or no lock file can be made there): a socket left behind is a
    // leftover of a copy that ended without removing it.
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_.listen(key_)) {
        QLocalServer::removeServer(key_);
        server_.listen(key_);
    }
    return true;
}

}  // namespace wexfold
