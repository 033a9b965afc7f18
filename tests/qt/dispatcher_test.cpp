// The dispatcher under shutdown: closing from inside a handler's nested event loop (a question
// the handler shows) must not join the network thread that waits for that very handler.
#include <QEventLoop>
#include <QScopeGuard>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <thread>

#include "qt/qt_dispatcher.h"
#include "qt/qt_tests.h"

namespace {

class DispatcherTest final : public QObject {
    Q_OBJECT
private slots:
    void ShutdownInsideHandlerWaitsForOutermostHandler() {
        qtui::QtDispatcher dispatcher;
        std::atomic<bool> handlerReturned{false};
        std::atomic<bool> firstDelivered{false};
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
                        // As the controller's shutdown does: wait for the network threads.
                        reporter.join();
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

    void CallsOnTheUiThreadRunAtOnceAndStopImmediatelyWhenIdle() {
        qtui::QtDispatcher dispatcher;
        int ran = 0;
        QVERIFY(dispatcher.RunOnUiThread([&] { ++ran; }));
        QCOMPARE(ran, 1);
        bool stopped = false;
        dispatcher.ShutdownWhenIdle([&] { stopped = true; });
        QVERIFY(stopped);
        QVERIFY(!dispatcher.RunOnUiThread([&] { ++ran; }));
        QCOMPARE(ran, 1);
    }
};

}  // namespace

int RunDispatcherTests(int argc, char** argv) {
    DispatcherTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "dispatcher_test.moc"
