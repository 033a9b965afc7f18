// Adding a host by name: a slow lookup must neither freeze the window nor keep it waiting.
#include "qt/host_lookup.h"

#include <QTest>
#include <QTimer>
#include <future>

#include "qt/qt_tests.h"

namespace {

class HostLookupTest final : public QObject {
    Q_OBJECT
private slots:
    void SlowLookupGivesUpAtTheLimitWhileTheWindowKeepsRunning() {
        std::promise<void> release;
        std::shared_future<void> released = release.get_future().share();
        bool timerRan = false;
        QTimer::singleShot(0, [&] { timerRan = true; });
        Ipv4 address = 7;
        const bool found = qtui::LookUpHostWithoutFreezing(
            "slow", address,
            [released](const std::string&, Ipv4& out) {
                released.wait();
                out = 0x0a000001;
                return true;
            },
            std::chrono::milliseconds(100));
        QVERIFY(!found);
        QCOMPARE(address, Ipv4(7));
        QVERIFY(timerRan);
        release.set_value();  // the abandoned lookup ends on its own
    }

    void AnAnswerInTimeIsTaken() {
        Ipv4 address = 0;
        QVERIFY(qtui::LookUpHostWithoutFreezing("fast", address,
                                                [](const std::string& host, Ipv4& out) {
                                                    out = host == "fast" ? 0x7f000001 : 0;
                                                    return true;
                                                }));
        QCOMPARE(address, Ipv4(0x7f000001));
        QVERIFY(!qtui::LookUpHostWithoutFreezing("unknown", address,
                                                 [](const std::string&, Ipv4&) { return false; }));
    }
};

}  // namespace

int RunHostLookupTests(int argc, char** argv) {
    HostLookupTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "host_lookup_test.moc"
