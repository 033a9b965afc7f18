// One running copy per settings file. The first copy listens on a local socket named after the
// settings file; a second start finds it there, asks it to bring its window to the front and
// ends. A lock file next to the socket tells a live first copy from a stale socket.
#pragma once

#include <QLocalServer>
#include <QObject>
#include <QString>
#include <memory>

namespace qtui {

class SingleInstance final : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(const QString& settingsFile, QObject* parent = nullptr);
    ~SingleInstance() override;

    // True when this is the first copy (it now listens); false after another copy was asked to
    // show its window.
    bool Claim();
    const QString& Name() const { return name_; }

signals:
    // A second start asked this copy to show its window.
    void raiseRequested();

private:
    bool AskRunningCopy();

    QString name_;
    QString lockPath_;
    int lockFd_ = -1;
    std::unique_ptr<QLocalServer> server_;
};

}  // namespace qtui
