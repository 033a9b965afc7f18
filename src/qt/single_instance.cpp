#include "qt/single_instance.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLocalSocket>
#include <QThread>
#include <cerrno>
#include <vector>

#include "ui/text/ui_strings.h"
#include "util/error_text.h"

namespace qtui {

namespace {

constexpr int kConnectTimeoutMs = 1000;
// The first copy takes the lock a moment before it listens; a start in that moment waits.
constexpr int kAnswerWaitMs = 5000;
constexpr int kRetryPauseMs = 100;
const QByteArray kRaiseMessage = "raise\n";

QString HomeFromPasswordDatabase() {
    const long suggested = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(suggested > 0 ? static_cast<std::size_t>(suggested) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 ||
        found == nullptr || found->pw_dir == nullptr) {
        return {};
    }
    return QString::fromLocal8Bit(found->pw_dir);
}

QString SystemWords(int errorNumber) {
    return QString::fromStdString(util::ErrorText(errorNumber));
}

QString Filled(const char* translated, const QString& first, const QString& second = {}) {
    return QString::fromStdString(
        ui::FormatText(translated, {first.toStdString(), second.toStdString()}));
}

}  // namespace

InstancePlace InstancePlaceFor(const QString& settingsFile, const QString& home) {
    // The same file reached by different paths is the same installation, even before it exists.
    const QFileInfo file(settingsFile);
    const QString folder = QFileInfo(file.absolutePath()).canonicalFilePath();
    const QString canonical =
        (folder.isEmpty() ? file.absolutePath() : folder) + QLatin1Char('/') + file.fileName();
    const QString key = QString::fromLatin1(
        QCryptographicHash::hash(canonical.toUtf8(), QCryptographicHash::Sha256).toHex().left(16));
    InstancePlace place;
    place.folder = home + QStringLiteral("/.cache/wendaro");
    place.lockPath = place.folder + QStringLiteral("/instance-") + key + QStringLiteral(".lock");
    place.socketPath =
        place.folder + QStringLiteral("/instance-") + key + QStringLiteral(".socket");
    return place;
}

SingleInstance::SingleInstance(const QString& settingsFile, const QString& home, QObject* parent)
    : QObject(parent),
      place_(InstancePlaceFor(settingsFile, home.isEmpty() ? HomeFromPasswordDatabase() : home)) {}

SingleInstance::~SingleInstance() {
    if (server_) server_->close();
    if (lockFd_ >= 0) close(lockFd_);
}

SingleInstance::Outcome SingleInstance::Fail(const QString& error) {
    error_ = error;
    return Outcome::Failed;
}

bool SingleInstance::MakePrivateFolder() {
    const QByteArray folder = QFile::encodeName(place_.folder);
    const QByteArray parent = QFile::encodeName(QFileInfo(place_.folder).path());
    // The parent is the user's own cache folder; only our folder must be private.
    if (mkdir(parent.constData(), 0700) != 0 && errno != EEXIST) {
        error_ = Filled(ui::Translate("Cannot create the folder %s: %s."), place_.folder,
                        SystemWords(errno));
        return false;
    }
    if (mkdir(folder.constData(), 0700) != 0 && errno != EEXIST) {
        error_ = Filled(ui::Translate("Cannot create the folder %s: %s."), place_.folder,
                        SystemWords(errno));
        return false;
    }
    struct stat info {};
    if (lstat(folder.constData(), &info) != 0 || !S_ISDIR(info.st_mode) ||
        info.st_uid != getuid()) {
        error_ = Filled(
            ui::Translate("The folder %s does not belong to you; remove it and start again."),
            place_.folder);
        return false;
    }
    // Ours, but perhaps opened up by hand: others must neither place nor reach anything there.
    if ((info.st_mode & 077) != 0 && chmod(folder.constData(), 0700) != 0) {
        error_ = Filled(ui::Translate("Cannot make the folder %s private: %s."), place_.folder,
                        SystemWords(errno));
        return false;
    }
    return true;
}

SingleInstance::Outcome SingleInstance::Claim() {
    if (!place_.folder.startsWith(QLatin1Char('/'))) {
        return Fail(QString::fromUtf8(
            ui::Translate("Cannot find your home folder in the password database.")));
    }
    if (QFile::encodeName(place_.socketPath).size() >=
        static_cast<int>(sizeof(sockaddr_un{}.sun_path))) {
        return Fail(Filled(ui::Translate("The path %s is too long for a local socket."),
                           place_.socketPath));
    }
    if (!MakePrivateFolder()) return Outcome::Failed;
    lockFd_ = open(QFile::encodeName(place_.lockPath).constData(),
                   O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (lockFd_ < 0) {
        return Fail(Filled(ui::Translate("Cannot open the lock file %s: %s."), place_.lockPath,
                           SystemWords(errno)));
    }
    if (flock(lockFd_, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        close(lockFd_);
        lockFd_ = -1;
        if (error != EWOULDBLOCK) {
            return Fail(Filled(ui::Translate("Cannot lock the file %s: %s."), place_.lockPath,
                               SystemWords(error)));
        }
        if (AskRunningCopy()) return Outcome::OtherRaised;
        return Fail(
            Filled(ui::Translate("Wendaro already runs with these settings but does not answer "
                                 "(lock file %s)."),
                   place_.lockPath));
    }
    // Holding the lock, any socket of that name is left over from a copy that crashed.
    QLocalServer::removeServer(place_.socketPath);
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
    if (!server_->listen(place_.socketPath)) {
        return Fail(Filled(ui::Translate("Cannot listen on the local socket %s: %s."),
                           place_.socketPath, server_->errorString()));
    }
    return Outcome::First;
}

bool SingleInstance::AskRunningCopy() {
    QElapsedTimer waited;
    waited.start();
    while (true) {
        QLocalSocket socket;
        socket.connectToServer(place_.socketPath);
        if (socket.waitForConnected(kConnectTimeoutMs)) {
            socket.write(kRaiseMessage);
            socket.waitForBytesWritten(kConnectTimeoutMs);
            socket.disconnectFromServer();
            return true;
        }
        if (waited.elapsed() >= kAnswerWaitMs) return false;
        QThread::msleep(kRetryPauseMs);
    }
}

}  // namespace qtui
