// The controller with its real network objects, on loopback addresses only: creation, a whole
// download through the share server, and a shutdown while everything is under way.
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <thread>

#include "protocol/request_protocol.h"
#include "ui/fakes_controller.h"
#include "ui/fakes_peer.h"

namespace fakes {
namespace {

using namespace std::chrono_literals;
using ui::FocusTarget;

class RealNetworkTest : public ::testing::Test {
protected:
    void SetUp() override {
        ui::SetCurrentLanguage(ui::Language::English);
        ASSERT_TRUE(sandbox.Valid());
        requestPort = testing_support::ClosedLoopbackPort();
        chatPort = testing_support::ClosedLoopbackPort();
        ASSERT_NE(requestPort, 0);
        ASSERT_NE(chatPort, 0);
        utilcpp::CParseini(sandbox.IniPath())
            .SetString("shares", "Mine", sandbox.MakeFolder("share"));
        views.folders.answer = sandbox.MakeFolder("target");
    }

    void Start(bool debugFeatures) {
        dispatcher = std::make_unique<ui::QueuedDispatcher>();
        ui::ControllerOptions options{sandbox.IniPath(), debugFeatures, "testbox",
                                      ui::NumberFormat{}};
        controller = std::make_unique<ui::CLumvaleDialog>(
            views.Bind(*dispatcher), options,
            ui::OwnedNetworkFactory(LoopbackNetworkOptions(requestPort, chatPort)));
        controller->Start();
    }

    // Runs the UI thread's side until `done`, for at most ten seconds.
    template <typename Done>
    bool PumpUntil(Done done) {
        const auto deadline = std::chrono::steady_clock::now() + 10s;
        while (!done() && std::chrono::steady_clock::now() < deadline) {
            dispatcher->WaitAndRun(10ms);
        }
        return done();
    }

    bool FileListHas(const std::string& name) const {
        const auto names = views.files.Names();
        return std::find(names.begin(), names.end(), name) != names.end();
    }

    const FakeTransferList::Row* RowNamed(const std::string& name) const {
        for (const auto& row : views.transfers.rows) {
            if (row.name == name) return &row;
        }
        return nullptr;
    }

    testing_support::Sandbox sandbox;
    FakeViews views;
    std::unique_ptr<ui::QueuedDispatcher> dispatcher;
    std::unique_ptr<ui::CLumvaleDialog> controller;
    std::uint16_t requestPort = 0;
    std::uint16_t chatPort = 0;
};

TEST_F(RealNetworkTest, LocalShareIsListedAndDownloadedThroughTheShareServer) {
    sandbox.MakeFile("share/a.txt", "hello world");
    Start(/*debugFeatures=*/true);
    // The local host was added by discovery during start, on this very thread.
    ASSERT_EQ(controller->Model().GetHostCount(), 1u);
    ASSERT_TRUE(PumpUntil([&] { return views.tree.Find("Mine") != kNoTreeItem; }));

    views.tree.Select("Mine");
    controller->Refresh();
    ASSERT_TRUE(PumpUntil([&] { return FileListHas("a.txt"); }));
    views.focus.focused = FocusTarget::FileList;
    views.files.SelectNames({"a.txt"});
    controller->Download(false);
    ASSERT_TRUE(PumpUntil([&] {
        const auto* row = RowNamed("a.txt");
        return row != nullptr && row->status == "Finished";
    }));
    EXPECT_EQ(sandbox.ReadFile("target/a.txt"), "hello world");
    // The same file went out through the local share server: its upload has a row as well.
    ASSERT_TRUE(PumpUntil([&] {
        const auto* upload = RowNamed(sandbox.Path("share/a.txt"));
        return upload != nullptr && upload->status == "Finished";
    }));
}

TEST_F(RealNetworkTest, ChatLineComesBackThroughTheLocalHost) {
    Start(/*debugFeatures=*/false);
    views.chat.input = "hello";
    controller->SendChat();
    ASSERT_TRUE(PumpUntil([&] { return !views.chat.lines.empty(); }));
    EXPECT_EQ(views.chat.lines.front(), "testbox: hello");
}

// Everything that can hold a network thread is under way when the window closes: a download
// and listings from a host that never answers, an upload to a client that never reads, and two
// unknown hosts waiting for the permission question. Shutdown must still end promptly.
TEST_F(RealNetworkTest, ShutdownDuringTransfersListingsAndAPendingQuestionEndsPromptly) {
    std::filesystem::resize_file(sandbox.MakeFile("share/big.bin", ""), 8 << 20);
    Start(/*debugFeatures=*/false);
    const Ipv4 peerAddress = Ip("127.0.0.3");
    ScriptedPeer peer(
        peerAddress, requestPort,
        {{"expand:\\", proto::EncodeListing({Folder("Share")})},
         {"expand:\\Share\\", proto::EncodeListing({File("big", 1000), Folder("sub")})}});
    ASSERT_TRUE(peer.Valid());

    controller->AddManualHost(peerAddress, "peer");
    ASSERT_TRUE(PumpUntil([&] { return views.tree.Find("Share") != kNoTreeItem; }));
    views.tree.Select("Share");
    controller->Refresh();
    ASSERT_TRUE(PumpUntil([&] { return FileListHas("big"); }));
    // The sub-folder's listing never comes.
    controller->OnTreeItemExpanding(*views.tree.NodeOf("Share"));
    views.focus.focused = FocusTarget::FileList;
    views.files.SelectNames({"big"});
    controller->Download(false);
    ASSERT_TRUE(PumpUntil([&] {
        const auto requests = peer.Requests();
        return std::count(requests.begin(), requests.end(), "retrieve:\\Share\\big") == 1 &&
               std::count(requests.begin(), requests.end(), "expand:\\Share\\sub\\") == 1;
    }));

    net::UniqueSocket reader =
        SendRequestFrom(Ip("127.0.0.1"), requestPort, "retrieve:\\Mine\\big.bin");
    ASSERT_TRUE(reader.valid());
    ASSERT_TRUE(PumpUntil([&] {
        const auto* upload = RowNamed(sandbox.Path("share/big.bin"));
        return upload != nullptr && upload->status.rfind("Send", 0) == 0;
    }));

    // Nothing else reports now; the next queued event is a permission question.
    PumpUntil([&] { return dispatcher->QueuedCount() == 0; });
    net::UniqueSocket asker =
        SendRequestFrom(Ip("127.0.0.4"), requestPort, "retrieve:\\Mine\\big.bin");
    net::UniqueSocket secondAsker =
        SendRequestFrom(Ip("127.0.0.6"), requestPort, "retrieve:\\Mine\\big.bin");
    ASSERT_TRUE(asker.valid());
    ASSERT_TRUE(secondAsker.valid());
    for (int i = 0; i < 300 && dispatcher->QueuedCount() == 0; ++i) {
        std::this_thread::sleep_for(10ms);
    }
    ASSERT_EQ(dispatcher->QueuedCount(), 1u);
    ASSERT_EQ(controller->TransferState().Running().downloads, 1u);
    ASSERT_EQ(controller->TransferState().Running().uploads, 1u);

    // Should shutdown wait for a thread that waits for the UI thread, release it after ten
    // seconds so that the test fails instead of hanging.
    std::mutex watchdogLock;
    std::condition_variable watchdogWake;
    bool shutDown = false;
    std::thread watchdog([&] {
        std::unique_lock<std::mutex> guard(watchdogLock);
        if (!watchdogWake.wait_for(guard, 10s, [&] { return shutDown; })) {
            dispatcher->BeginShutdown();
        }
    });
    const auto started = std::chrono::steady_clock::now();
    controller->Shutdown();
    const auto took = std::chrono::steady_clock::now() - started;
    {
        std::lock_guard<std::mutex> guard(watchdogLock);
        shutDown = true;
    }
    watchdogWake.notify_all();
    watchdog.join();
    EXPECT_LT(took, 3s) << std::chrono::duration_cast<std::chrono::milliseconds>(took).count()
                        << " ms";
    // No question reached the user, and the askers got no file.
    EXPECT_TRUE(views.prompt.questions.empty());
    EXPECT_EQ(testing_support::ReadRaw(asker.get(), 1024, 2000), "");
    EXPECT_EQ(testing_support::ReadRaw(secondAsker.get(), 1024, 2000), "");
}

}  // namespace
}  // namespace fakes
