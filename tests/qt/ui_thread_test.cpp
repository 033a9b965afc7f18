// The UI thread is never held: closing from inside a handler's nested event loop (a question the
// handler shows) must not join the network thread that waits for that very handler.
#include <QEventLoop>
#include <QScopeGuard>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <future>
#include <thread>

#include "qt/qt_dispatcher.h"

namespace {

class UiThreadTest final : public QObject {
    Q_OBJECT
private slots:
    void ShutdownInsideHandlerWaitsForOutermostHandler() {
        qtui::QtDispatcher dispatcher;
        std::atomic<bool> handlerReturned{false}, firstDelivered{false};
        std::atomic<bool> stopSawHandlerReturned{false};
        bool stopped = false;
        // A network thread reports; its handler asks the user (a nested event loop), and the
        // user closes the program from there.
        std::thread reporter([&] {
            firstDelivered = dispatcher.RunOnUiThread([&] {
                QEventLoop question;
                QTimer::singleShot(20, &question, [&] {
                    dispatcher.ShutdownWhenIdle([&] {
                        stopSawHandlerReturned = handlerReturned.load();
                        reporter.join();  // as the controller's shutdown waits for its threads
                        stopped = true;
                    });
                });
                QTimer::singleShot(60, &question, &QEventLoop::quit);
                question.exec();
                handlerReturned = true;
            });
        });
        const auto joinAll = qScopeGuard([&] {
            if (reporter.joinable()) reporter.join();
        });
        QTRY_VERIFY_WITH_TIMEOUT(stopped, 5000);
        QVERIFY(firstDelivered);
        QVERIFY(stopSawHandlerReturned);
        QVERIFY(!dispatcher.RunOnUiThread([] {}));
    }
};

}  // namespace

int RunUiThreadTests(int argc, char** argv) {
    UiThreadTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "ui_thread_test.moc"
