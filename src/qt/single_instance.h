// One running copy per settings file. The first copy holds a lock and listens on a local socket,
// both in one folder that only this user can write, named after the settings file; a second
// start finds the lock taken, asks the first copy to bring its window to the front and ends.
// The folder is found from the user's entry in the password database, not from the
// environment, so that two starts with different environments (XDG_RUNTIME_DIR, TMPDIR, HOME)
// still meet, and no other local user can take or reach the place.
#pragma once

#include <QLocalServer>
#include <QObject>
#include <QString>
#include <memory>

namespace qtui {

// Where the lock and the socket of one settings file live.
struct InstancePlace {
    QString folder;
    QString lockPath;
    QString socketPath;
};

// The place for `settingsFile` below the user's home folder `home`.
InstancePlace InstancePlaceFor(const QString& settingsFile, const QString& home);

class SingleInstance final : public QObject {
    Q_OBJECT
public:
    enum class Outcome {
        First,        // this copy runs: it holds the lock and listens
        OtherRaised,  // another copy runs and was asked to show its window
        Failed,       // neither: Error() says why, in the user's language
    };

    // `home` empty: the home folder of the user's password database entry.
    explicit SingleInstance(const QString& settingsFile, const QString& home = {},
                            QObject* parent = nullptr);
    ~SingleInstance() override;

    Outcome Claim();
    const QString& Error() const { return error_; }
    const InstancePlace& Place() const { return place_; }

signals:
    // A second start asked this copy to show its window.
    void raiseRequested();

private:
    bool MakePrivateFolder();
    bool AskRunningCopy();
    Outcome Fail(const QString& error);

    InstancePlace place_;
    QString error_;
    int lockFd_ = -1;
    std::unique_ptr<QLocalServer> server_;
};

}  // namespace qtui
