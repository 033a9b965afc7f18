// One hostile peer that opens every reader slot of the chat channel and says nothing must not
// keep the texts of other hosts out.
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
    std::vector<std::string> WaitForOne(int timeoutMs) {
        std::unique_lock guard(mutex_);
        changed_.wait_for(guard, std::chrono::milliseconds(timeoutMs),
                          [&] { return !texts_.empty(); });
        return texts_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::string> texts_;
};

net::UniqueSocket ConnectFrom(Ipv4 source, std::uint16_t port) {
    net::UniqueSocket socket = net::CreateTcpSocket();
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = source;
    if (!socket.valid() ||
        ::bind(socket.get(), reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0 ||
        !net::SetBlocking(socket.get(), false) ||
        !net::ConnectWithRetry(socket.get(), LoopbackAddress(), port, 3, nullptr)) {
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

}  // namespace
