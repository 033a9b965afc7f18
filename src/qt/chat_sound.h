// The chat sound: the program's own WAV, played by the desktop's sound player program (paplay,
// pw-play or aplay, whichever is found first). Started and left to itself, so that neither a
// missing sound server nor the program's end waits for it; with no player found it stays silent.
#pragma once

#include <QElapsedTimer>
#include <QString>
#include <QTemporaryDir>
#include <memory>

namespace qtui {

class ChatSound {
public:
    // The first player found on PATH.
    ChatSound();
    // A given player program (empty: none), called with the WAV file's path.
    explicit ChatSound(QString player);

    const QString& Player() const { return player_; }
    // Starts the sound unless it started less than a second ago: a burst of chat lines gives one
    // sound, not a crowd of players. True when a player was started.
    bool Play();

private:
    QString SoundFile();

    QString player_;
    std::unique_ptr<QTemporaryDir> folder_;
    QString file_;
    QElapsedTimer lastStart_;
};

}  // namespace qtui
