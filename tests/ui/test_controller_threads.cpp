// The hop onto the UI thread, and the controller with its real network objects on loopback
// addresses only, shut down while it is busy. A whole download and chat between two real programs
// is the end-to-end test's.

#include <chrono>
#include <filesystem>
#include <thread>

#include "net/connect.h"
#include "support/loopback.h"
#include "ui/fakes_controller.h"

namespace fakes {
namespace {

using namespace std::chrono_literals;

// Waits up to `tries` times 10 ms for `done`, pumping the queue when `dispatcher` is given.
template <typename Done>
bool WaitFor(Done done, ui::QueuedDispatcher* dispatcher = nullptr, int tries = 200) {
    for (int i = 0; i < tries && !done(); ++i) {
        if (dispatcher)
            dispatcher->WaitAndRun(10ms);
        else
            std::this_thread::sleep_for(10ms);
    }
    return done();
}

// A call from the UI thread runs at once; one from another thread waits until the UI thread runs
// it. One pass runs what was queued when it began, so a handler that makes a network thread report
// again cannot hold the UI thread. After shutdown it runs nothing; that waiting callers are let go
// then is the real network's test below.
TEST(QueuedDispatcher, RunsOnTheUiThreadOnePassAtATimeAndNothingAfterShutdown) {
    ui::QueuedDispatcher dispatcher;
    int ranInline = 0;
    EXPECT_TRUE(dispatcher.RunOnUiThread([&] { ++ranInline; }));
    EXPECT_EQ(ranInline, 1);
    std::atomic<int> inner{0};
    std::atomic<bool> returned{false};
    std::thread::id ranOn;
    std::thread second;
    std::thread first([&] {
        dispatcher.RunOnUiThread([&] {
            ranOn = std::this_thread::get_id();
            second = std::thread([&] { dispatcher.RunOnUiThread([&] { ++inner; }); });
            WaitFor([&] { return dispatcher.QueuedCount() == 1; });
        });
        returned = true;
    });
    EXPECT_TRUE(WaitFor([&] { return dispatcher.QueuedCount() == 1; }));
    EXPECT_FALSE(returned.load());
    EXPECT_EQ(dispatcher.RunPending(), 1u);
    EXPECT_EQ(ranOn, std::this_thread::get_id());
    EXPECT_EQ(inner.load(), 0);
    EXPECT_EQ(dispatcher.RunPending(), 1u);
    first.join();
    second.join();
    EXPECT_EQ(inner.load(), 1);

    dispatcher.BeginShutdown();
    EXPECT_FALSE(dispatcher.RunOnUiThread([&] { ++inner; }));
    EXPECT_EQ(inner.load(), 1);
}

// Discovery that never broadcasts, and every listener bound to 127.0.0.1.
ui::NetworkOptions LoopbackNetworkOptions(std::uint16_t requestPort, std::uint16_t chatPort) {
    const Ipv4 loopback = testing_support::LoopbackAddress();
    ui::NetworkOptions options;
    options.discovery.discoveryPort = 0;
    options.discovery.bindAddress = loopback;
    options.discovery.requestPort = requestPort;
    options.discovery.enumerateInterfaces = [] { return std::vector<net::InterfaceEntry>{}; };
    options.discovery.sendBroadcast = [](std::uint16_t, std::string_view, Ipv4) { return true; };
    options.server.bindAddress = options.chat.bindAddress = loopback;
    options.server.port = options.jobs.requestPort = requestPort;
    options.chat.port = options.chat.sendPort = chatPort;
    options.watchAddressChanges = false;
    options.versionText = "1.0 00:00:00 01.01.26 ";
    return options;
}

// A client connection from `source` (any loopback address) to 127.0.0.1:port that sends one
// framed request and then reads nothing.
net::UniqueSocket SendRequestFrom(Ipv4 source, std::uint16_t port, const std::string& request) {
    net::UniqueSocket socket = testing_support::ConnectFrom(
        source, port, testing_support::LoopbackAddress(), /*smallBuffers=*/true);
    if (!testing_support::WriteRaw(socket.get(), std::to_string(request.size()) + ":" + request))
        return {};
    return socket;
}

// What can hold a network thread is under way when the window closes: an upload to a client that
// never reads, and two unknown hosts waiting for the permission question (each waits for the UI
// thread, which waits for them). Shutdown must still end promptly. Downloads and listings that
// never end are the job queue's test; that shutdown raises their flags is the fake network's.
TEST(RealNetwork, ShutdownDuringAnUploadAndAPendingQuestionEndsPromptly) {
    ui::SetCurrentLanguage(ui::Language::English);
    testing_support::TempFolder sandbox;
    const std::uint16_t requestPort = testing_support::ClosedLoopbackPort();
    const std::uint16_t chatPort = testing_support::ClosedLoopbackPort();
    ASSERT_TRUE(sandbox.Valid() && requestPort != 0 && chatPort != 0);
    utilcpp::CParseini(sandbox.IniPath()).SetString("shares", "Mine", sandbox.MakeFolder("share"));
    std::filesystem::resize_file(sandbox.MakeFile("share/big.bin", ""), 8 << 20);
    FakeViews views;
    ui::QueuedDispatcher dispatcher;
    const auto pumpUntil = [&](auto done) { return WaitFor(done, &dispatcher, 1000); };
    ui::CLumvaleDialog controller(
        views.Bind(dispatcher), {sandbox.IniPath(), false, "testbox", {}, {}, true, {}, {}},
        ui::OwnedNetworkFactory(LoopbackNetworkOptions(requestPort, chatPort)));
    controller.Start();
    ASSERT_TRUE(pumpUntil([&] { return views.tree.Has("Mine"); }));  // its own jobs are done
    const std::string request = "retrieve:\\Mine\\big.bin";
    net::UniqueSocket reader = SendRequestFrom(Ip("127.0.0.1"), requestPort, request);
    ASSERT_TRUE(pumpUntil([&] {
        return views.transfers.rows.size() == 1 && views.transfers.rows[0][1].rfind("Send", 0) == 0;
    }));

    // The upload stalls once the reader's buffers are full, and reports nothing after (a report
    // needs bytes moved, at most once a second): the next queued call is a permission question.
    for (int i = 0, quiet = 0; i < 1000 && quiet < 120; ++i)
        quiet = dispatcher.WaitAndRun(10ms) == 0 ? quiet + 1 : 0;
    net::UniqueSocket askers[] = {SendRequestFrom(Ip("127.0.0.4"), requestPort, request),
                                  SendRequestFrom(Ip("127.0.0.6"), requestPort, request)};
    ASSERT_TRUE(askers[0].valid() && askers[1].valid());
    ASSERT_TRUE(WaitFor([&] { return dispatcher.QueuedCount() == 1; }, nullptr, 500))
        << dispatcher.QueuedCount();
    ASSERT_EQ(controller.TransferState().Running().uploads, 1u);

    // Should shutdown wait for a thread that waits for the UI thread, the watchdog releases it
    // after ten seconds so that the test fails instead of hanging.
    std::atomic<bool> shutDown{false};
    std::thread watchdog([&] {
        for (int i = 0; i < 1000 && !shutDown; ++i) std::this_thread::sleep_for(10ms);
        if (!shutDown) dispatcher.BeginShutdown();
    });
    const auto started = std::chrono::steady_clock::now();
    controller.Shutdown();
    const auto took = std::chrono::steady_clock::now() - started;
    shutDown = true;
    watchdog.join();
    EXPECT_LT(took, 3s) << std::chrono::duration_cast<std::chrono::milliseconds>(took).count();
    // No question reached the user, and the askers got no file.
    EXPECT_TRUE(views.user.questions.empty());
    for (const auto& asker : askers)
        EXPECT_EQ(testing_support::ReadRaw(asker.get(), 1024, 2000), "");
}

}  // namespace
}  // namespace fakes
