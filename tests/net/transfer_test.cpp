#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <random>
#include <string>
#include <thread>

#include "net/connect.h"
#include "net/framing.h"
#include "recording_listener.h"
#include "support/loopback.h"
#include "temp_folder.h"

namespace {

using net_test::ProgressEvent;
using net_test::ReadFile;
using net_test::RecordingListener;
using net_test::TempFolder;
using net_test::WriteFile;
using testing_support::MakeLoopbackPair;
using testing_support::ReadRaw;
using testing_support::ShutdownWrite;
using testing_support::WriteRaw;

std::string RandomBytes(std::size_t size) {
    std::mt19937 generator(42);
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; i += 4) {
        const std::uint32_t word = generator();
        for (std::size_t k = 0; k < 4 && i + k < size; ++k) {
            bytes[i + k] = static_cast<char>(word >> (8 * k));
        }
    }
    return bytes;
}

TEST(FileTransfer, LargeFileArrivesByteExact) {
    TempFolder folder;
    const std::string content = RandomBytes(20 * 1024 * 1024 + 17);
    WriteFile(folder.File("source.bin"), content);
    auto pair = MakeLoopbackPair();
    ASSERT_TRUE(pair.valid());
    RecordingListener sendEvents;
    RecordingListener receiveEvents;
    int sendContext = 1;
    int receiveContext = 2;
    bool sent = false;
    std::thread sender([&] {
        sent = net::SendFile(pair.client.get(), folder.File("source.bin"), nullptr, &sendContext,
                             &sendEvents);
    });
    const bool received = net::ReceiveFile(pair.server.get(), folder.File("copy.bin"), nullptr,
                                           &receiveContext, &receiveEvents);
    sender.join();
    EXPECT_TRUE(sent);
    EXPECT_TRUE(received);
    EXPECT_TRUE(ReadFile(folder.File("copy.bin")) == content);
    EXPECT_EQ(folder.Entries().size(), 2u);  // no temporary file left over
    EXPECT_EQ(sendEvents.Events().front().context, &sendContext);
    EXPECT_EQ(receiveEvents.Events().back().context, &receiveContext);
    EXPECT_TRUE(sendEvents.Shape() == "SE+" || sendEvents.Shape() == "SP*E+");
    EXPECT_TRUE(receiveEvents.Shape() == "SE+" || receiveEvents.Shape() == "SP*E+");
}

TEST(FileTransfer, BlockingSocketUsesTheCopyPathAndStillArrivesIntact) {
    TempFolder folder;
    const std::string content = RandomBytes(3 * 1024 * 1024 + 5);
    WriteFile(folder.File("source.bin"), content);
    auto pair = MakeLoopbackPair();
    ASSERT_TRUE(pair.valid());
    ASSERT_TRUE(net::SetBlocking(pair.client.get(), true));
    std::thread sender([&] {
        EXPECT_TRUE(
            net::SendFile(pair.client.get(), folder.File("source.bin"), nullptr, nullptr, nullptr));
        ShutdownWrite(pair.client.get());
    });
    const std::string wire = ReadRaw(pair.server.get(), content.size() + 100, 20000);
    sender.join();
    EXPECT_TRUE(wire == std::to_string(content.size()) + ":" + content);
}

TEST(FileTransfer, ProgressComesBetweenStartAndEndWhileAPeerReadsSlowly) {
    TempFolder folder;
    const std::size_t size = 3 * 1024 * 1024;
    WriteFile(folder.File("source.bin"), std::string(size, 'p'));
    auto pair = MakeLoopbackPair();
    ASSERT_TRUE(pair.valid());
    testing_support::ShrinkBuffers(pair.client.get());
    testing_support::ShrinkBuffers(pair.server.get());
    RecordingListener events;
    bool sent = false;
    std::thread sender([&] {
        sent =
            net::SendFile(pair.client.get(), folder.File("source.bin"), nullptr, nullptr, &events);
    });
    // About 2.4 s of reading in bounded steps, so more than a second passes between reports.
    std::string wire;
    for (int step = 0; step < 40 && wire.size() < size + 8; ++step) {
        wire += ReadRaw(pair.server.get(), size / 40 + 1, 200);
        std::this_thread::sleep_for(std::chrono::milliseconds(60));
    }
    wire += ReadRaw(pair.server.get(), size + 8 - wire.size(), 5000);
    sender.join();
    EXPECT_TRUE(sent);
    EXPECT_EQ(wire.size(), size + 8);  // "3145728:" and the payload
    EXPECT_EQ(events.Shape(), "SP*E+");
    unsigned lastPercent = 0;
    for (const ProgressEvent& event : events.Events()) {
        if (event.kind != ProgressEvent::Progress) continue;
        EXPECT_GE(event.percent, lastPercent);
        EXPECT_LE(event.percent, 100u);
        EXPECT_GT(event.speed, 0.0f);
        lastPercent = event.percent;
    }
}

TEST(FileTransfer, EmptyFileIsJustTheZeroHeader) {
    TempFolder folder;
    WriteFile(folder.File("empty"), "");
    auto pair = MakeLoopbackPair();
    ASSERT_TRUE(pair.valid());
    RecordingListener events;
    EXPECT_TRUE(net::SendFile(pair.client.get(), folder.File("empty"), nullptr, nullptr, &events));
    EXPECT_EQ(events.Shape(), "SE+");
    ShutdownWrite(pair.client.get());
    EXPECT_EQ(ReadRaw(pair.server.get()), "0:");

    auto again = MakeLoopbackPair();
    ASSERT_TRUE(again.valid());
    ASSERT_TRUE(WriteRaw(again.client.get(), "0:"));
    EXPECT_TRUE(
        net::ReceiveFile(again.server.get(), folder.File("copy"), nullptr, nullptr, nullptr));
    EXPECT_TRUE(std::filesystem::exists(folder.File("copy")));
    EXPECT_EQ(ReadFile(folder.File("copy")), "");
}

TEST(FileTransfer, PeerClosingHalfWayLeavesNoPartialFileAndKeepsTheOlderOne) {
    TempFolder folder;
    WriteFile(folder.File("kept.txt"), "older content");
    for (const std::string target : {"new.txt", "kept.txt"}) {
        auto pair = MakeLoopbackPair();
        ASSERT_TRUE(pair.valid());
        ASSERT_TRUE(WriteRaw(pair.client.get(), "100:" + std::string(50, 'h')));
        pair.client.reset();
        RecordingListener events;
        EXPECT_FALSE(
            net::ReceiveFile(pair.server.get(), folder.File(target), nullptr, nullptr, &events));
        EXPECT_EQ(events.Shape(), "SE-");
    }
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"kept.txt"});
    EXPECT_EQ(ReadFile(folder.File("kept.txt")), "older content");
}

TEST(FileTransfer, BadHeaderEndsWithoutStartAndWithoutFile) {
    TempFolder folder;
    for (const char* raw : {"-5:hello", "x:hello", "5hello"}) {
        auto pair = MakeLoopbackPair();
        ASSERT_TRUE(pair.valid());
        ASSERT_TRUE(WriteRaw(pair.client.get(), raw));
        ShutdownWrite(pair.client.get());
        RecordingListener events;
        EXPECT_FALSE(
            net::ReceiveFile(pair.server.get(), folder.File("out"), nullptr, nullptr, &events));
        EXPECT_EQ(events.Shape(), "E-") << raw;
    }
    EXPECT_TRUE(folder.Entries().empty());
}

TEST(FileTransfer, TargetInAMissingFolderFails) {
    TempFolder folder;
    auto pair = MakeLoopbackPair();
    ASSERT_TRUE(pair.valid());
    ASSERT_TRUE(WriteRaw(pair.client.get(), "3:abc"));
    EXPECT_FALSE(
        net::ReceiveFile(pair.server.get(), folder.File("missing/out"), nullptr, nullptr, nullptr));
}

TEST(FileTransfer, MissingSourceFileSendsNothing) {
    TempFolder folder;
    auto pair = MakeLoopbackPair();
    ASSERT_TRUE(pair.valid());
    RecordingListener events;
    EXPECT_FALSE(
        net::SendFile(pair.client.get(), folder.File("absent"), nullptr, nullptr, &events));
    EXPECT_EQ(events.Shape(), "SE-");
    ShutdownWrite(pair.client.get());
    EXPECT_EQ(ReadRaw(pair.server.get()), "");
}

TEST(BlockTransfer, StopFlagEndsASendToAPeerThatNeverReads) {
    auto pair = MakeLoopbackPair();
    ASSERT_TRUE(pair.valid());
    testing_support::ShrinkBuffers(pair.client.get());
    testing_support::ShrinkBuffers(pair.server.get());
    const std::string block(8 * 1024 * 1024, 'b');
    StopFlag stop{false};
    RecordingListener events;
    std::atomic<bool> result{true};
    std::thread sender([&] {
        result = net::SendData(pair.client.get(), block.data(), block.size(), {}, &stop, nullptr,
                               &events);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const auto stoppedAt = std::chrono::steady_clock::now();
    stop = true;
    sender.join();
    EXPECT_FALSE(result);
    EXPECT_LT(std::chrono::steady_clock::now() - stoppedAt, std::chrono::seconds(2));
    EXPECT_EQ(events.Shape(), "SE-");
}

TEST(BlockTransfer, ReceiveExactFillsTheBlockAndLeavesTheRest) {
    auto pair = MakeLoopbackPair();
    ASSERT_TRUE(pair.valid());
    const std::string content = RandomBytes(300'000);
    std::thread sender([&] { EXPECT_TRUE(WriteRaw(pair.client.get(), content + "tail")); });
    std::string block(content.size(), '\0');
    RecordingListener events;
    EXPECT_TRUE(net::ReceiveExact(pair.server.get(), block.data(), block.size(), nullptr, nullptr,
                                  &events));
    sender.join();
    EXPECT_TRUE(block == content);
    EXPECT_EQ(events.Shape(), "SE+");
    EXPECT_EQ(ReadRaw(pair.server.get(), 4), "tail");
}

}  // namespace
