#include "qt/single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>
#include <QStandardPaths>

namespace qtui {

namespace {

constexpr int kConnectTimeoutMs = 1000;
const QByteArray kRaiseMessage = "raise\n";

}  // namespace

SingleInstance::SingleInstance(const QString& settingsFile, QObject* parent) : QObject(parent) {
    // The same file reached by different paths is the same installation.
    const QString canonical = QFileInfo(settingsFile).absoluteFilePath();
    const QByteArray key =
        QCryptographicHash::hash(canonical.toUtf8(), QCryptographicHash::Sha256).toHex().left(16);
    name_ = QStringLiteral("wendaro-%1-%2").arg(getuid()).arg(QString::fromLatin1(key));
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty()) folder = QDir::tempPath();
    lockPath_ = folder + QLatin1Char('/') + name_ + QStringLiteral(".lock");
}

SingleInstance::~SingleInstance() {
    if (server_) server_->close();
    if (lockFd_ >= 0) close(lockFd_);
}

bool SingleInstance::Claim() {
    lockFd_ = open(lockPath_.toLocal8Bit().constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    const bool locked = lockFd_ >= 0 && flock(lockFd_, LOCK_EX | LOCK_NB) == 0;
    if (!locked) {
        // The first copy holds the lock; it may still be starting its server, so a failed
        // request is not taken as permission to run a second copy.
        AskRunningCopy();
        return false;
    }
    // Holding the lock, any socket of that name is left over from a copy that crashed.
    QLocalServer::removeServer(name_);
    server_ = std::make_unique<QLocalServer>();
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_.get(), &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server_->nextPendingConnection()) {
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                if (socket->readAll().startsWith(kRaiseMessage.trimmed())) emit raiseRequested();
                socket->disconnectFromServer();
            });
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
    server_->listen(name_);
    return true;
}

bool SingleInstance::AskRunningCopy() {
    QLocalSocket socket;
    socket.connectToServer(name_);
    if (!socket.waitForConnected(kConnectTimeoutMs)) return false;
    socket.write(kRaiseMessage);
    socket.waitForBytesWritten(kConnectTimeoutMs);
    socket.disconnectFromServer();
    return true;
}

}  // namespace qtui
