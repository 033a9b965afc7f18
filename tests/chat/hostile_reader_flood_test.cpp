// Hostile or unreachable peers must not keep texts from the other hosts: one peer that opens every
// reader slot and says nothing, and recipients whose connections go nowhere.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "chat/chat_thread.h"
#include "net/connect.h"
#include "support/loopback.h"

namespace {

using testing_support::LoopbackAddress;

Ipv4 Loopback(int last) {
    return htonl(0x7F000000u | static_cast<std::uint32_t>(last));
}

class TextRecorder : public ChatListener {
public:
    void OnChatMessage(Ipv4, const std::string& text) override {
        {
            std::lock_guard guard(mutex_);
            texts_.push_back(text);
        }
        changed_.notify_all();
    }
    std::vector<std::string> WaitForOne(int timeoutMs) { return WaitFor(1, timeoutMs); }
    std::vector<std::string> WaitFor(std::size_t count, int timeoutMs) {
        std::unique_lock guard(mutex_);
        changed_.wait_for(guard, std::chrono::milliseconds(timeoutMs),
                          [&] { return texts_.size() >= count; });
        return texts_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::string> texts_;
};

net::UniqueSocket ConnectFrom(Ipv4 source, std::uint16_t port,
                              Ipv4 destination = LoopbackAddress()) {
    net::UniqueSocket socket = net::CreateTcpSocket();
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = source;
    if (!socket.valid() ||
        ::bind(socket.get(), reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0 ||
        !net::SetBlocking(socket.get(), false) ||
        !net::ConnectWithRetry(socket.get(), destination, port, 3, nullptr)) {
        return {};
    }
    return socket;
}

TEST(HostileChatFlood, OnePeerHoldingEveryReaderSlotLeavesRoomForOthers) {
    StopFlag stop{false};
    TextRecorder received;
    ChatOptions options;
    options.bindAddress = LoopbackAddress();
    options.port = 0;
    options.maxReaders = 8;
    // Longer than this test waits: the flood must be turned away by the share per peer, not by
    // the time limit.
    options.receiveTimeoutMs = 60'000;
    {
        CChatThread b(&received, &stop, options);
        ASSERT_NE(b.Port(), 0);
        std::vector<net::UniqueSocket> flood;
        for (std::size_t i = 0; i < options.maxReaders; ++i) {
            flood.push_back(ConnectFrom(Loopback(6), b.Port()));
            ASSERT_TRUE(flood.back().valid());
        }
        // Give the listener time to take in the whole flood.
        std::this_thread::sleep_for(std::chrono::milliseconds(300));

        ChatOptions senderOptions;
        senderOptions.bindAddress = LoopbackAddress();
        senderOptions.port = 0;
        senderOptions.sendPort = b.Port();
        senderOptions.connectAttempts = 2;
        CChatThread a(nullptr, &stop, senderOptions);
        a.AddRecipient(LoopbackAddress());
        a.QueueMessage("through");
        EXPECT_EQ(received.WaitForOne(5000), std::vector<std::string>{"through"});
        stop = true;
    }
}

// Connection attempts to a recipient that drops them can each take seconds. Served one after
// another, three such recipients would hold up every text for many seconds.
TEST(HostileChatFlood, RecipientsThatCannotBeReachedHoldUpEachTextOnlyBriefly) {
    StopFlag stop{false};
    TextRecorder received;
    ChatOptions options;
    options.bindAddress = LoopbackAddress();
    options.port = 0;
    CChatThread b(&received, &stop, options);
    ASSERT_NE(b.Port(), 0);
    // A listener whose accept queue is full drops new connection attempts unanswered.
    net::UniqueSocket blackHole = net::CreateListener(Loopback(7), b.Port(), 0);
    ASSERT_TRUE(blackHole.valid());
    net::UniqueSocket queued = ConnectFrom(LoopbackAddress(), b.Port(), Loopback(7));
    ASSERT_TRUE(queued.valid());

    ChatOptions senderOptions = options;
    senderOptions.sendPort = b.Port();
    senderOptions.recipientTimeoutMs = 1000;
    CChatThread a(nullptr, &stop, senderOptions);
    for (int i = 0; i < 3; ++i) a.AddRecipient(Loopback(7));
    a.AddRecipient(LoopbackAddress());
    a.QueueMessage("one");
    a.QueueMessage("two");
    EXPECT_EQ(received.WaitFor(2, 2900), (std::vector<std::string>{"one", "two"}));
    stop = true;
}

}  // namespace
