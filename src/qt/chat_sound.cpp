#include "qt/chat_sound.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>

static void RegisterSoundResources() {
    Q_INIT_RESOURCE(sounds);
}

namespace qtui {

namespace {

constexpr qint64 kMinimumGapMs = 1000;

QString FindPlayer() {
    for (const char* name : {"paplay", "pw-play", "aplay"}) {
        const QString found = QStandardPaths::findExecutable(QLatin1String(name));
        if (!found.isEmpty()) return found;
    }
    return {};
}

}  // namespace

ChatSound::ChatSound() : ChatSound(FindPlayer()) {}

ChatSound::ChatSound(QString player) : player_(std::move(player)) {}

QString ChatSound::SoundFile() {
    if (!file_.isEmpty()) return file_;
    static const bool registered = (RegisterSoundResources(), true);
    (void)registered;
    auto folder = std::make_unique<QTemporaryDir>();
    if (!folder->isValid()) return {};
    const QString path = folder->filePath(QStringLiteral("chat.wav"));
    if (!QFile::copy(QStringLiteral(":/sounds/chat.wav"), path)) return {};
    folder_ = std::move(folder);
    file_ = path;
    return file_;
}

bool ChatSound::Play() {
    if (player_.isEmpty()) return false;
    if (lastStart_.isValid() && lastStart_.elapsed() < kMinimumGapMs) return false;
    const QString file = SoundFile();
    if (file.isEmpty()) return false;
    // The copy of the sound lives until the program ends; what a player says about a missing
    // sound server is of no use to the user.
    QProcess process;
    process.setProgram(player_);
    process.setArguments({file});
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    if (!process.startDetached()) return false;
    lastStart_.start();
    return true;
}

}  // namespace qtui
