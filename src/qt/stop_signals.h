// SIGTERM and SIGINT end the program as a session end does. The signal handler only writes a
// byte to a pipe; the event loop reads it and emits stopRequested on the UI thread.
#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <memory>

namespace qtui {

class StopSignals final : public QObject {
    Q_OBJECT
public:
    explicit StopSignals(QObject* parent = nullptr);
    ~StopSignals() override;

    bool Valid() const { return notifier_ != nullptr; }

signals:
    void stopRequested(int signalNumber);

private:
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace qtui
