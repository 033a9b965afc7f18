// The chat channel over loopback: delivery with the sender's address, recipients, hostile or
// unreachable peers that must not keep texts from the others, and prompt ends.
#include "chat/chat_thread.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/socket.h>

#include <condition_variable>
#include <deque>
#include <mutex>

#include "net/connect.h"
#include "net/framing.h"
#include "support/descriptors.h"
#include "support/loopback.h"

namespace {

using testing_support::ConnectFrom;
using testing_support::LoopbackAddress;
constexpr auto Loopback = testing_support::LoopbackHost;
using Messages = std::vector<std::pair<Ipv4, std::string>>;

class Recorder : public ChatListener {
public:
    void OnChatMessage(Ipv4 from, const std::string& text) override { Add(messages_, from, text); }
    void OnChatNotDelivered(Ipv4 to, const std::string& text) override { Add(lost_, to, text); }
    // What arrived (or was lost) once there are `n` texts, or after a bounded wait.
    Messages WaitFor(std::size_t n, int ms = 5000) { return Wait(messages_, n, ms); }
    Messages WaitForLost(std::size_t n, int ms = 5000) { return Wait(lost_, n, ms); }

private:
    void Add(Messages& list, Ipv4 address, const std::string& text) {
        std::lock_guard guard(mutex_);
        list.emplace_back(address, text);
        changed_.notify_all();
    }
    Messages Wait(const Messages& list, std::size_t count, int timeoutMs) {
        std::unique_lock guard(mutex_);
        changed_.wait_for(guard, std::chrono::milliseconds(timeoutMs),
                          [&] { return list.size() >= count; });
        return list;
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    Messages messages_;
    Messages lost_;
};

// Listens on address:port (0 = any port) and sends to `sendPort`.
ChatOptions Options(Ipv4 address, std::uint16_t sendPort = 0, std::uint16_t port = 0) {
    return {.bindAddress = address, .port = port, .sendPort = sendPort, .connectAttempts = 2};
}

// Writes raw bytes to a chat port; true when the channel then closes the connection.
bool ClosedAfter(std::uint16_t port, const std::string& bytes) {
    net::UniqueSocket socket = net::ConnectTo(LoopbackAddress(), port, nullptr, 3);
    return testing_support::WriteRaw(socket.get(), bytes) &&
           testing_support::ReadRaw(socket.get(), 1, 5000).empty() &&
           ::recv(socket.get(), nullptr, 0, MSG_DONTWAIT) == 0;
}

class ChatTest : public ::testing::Test {
protected:
    void TearDown() override { stop_ = true; }

    StopFlag stop_{false};
    Recorder atB_;
};

TEST_F(ChatTest, MalformedAndUnfinishedTextsAreClosedUnreported) {
    ChatOptions options = Options(LoopbackAddress());
    options.receiveTimeoutMs = 200;
    CChatThread b(&atB_, &stop_, options);
    // A bad header, a text too long, half a text then silence, nothing at all.
    for (const std::string& bytes :
         {std::string("abc:"), std::to_string(net::kMaxChatLength + 1) + ":",
          std::string("10:short"), std::string()})
        EXPECT_TRUE(ClosedAfter(b.Port(), bytes)) << bytes;
    EXPECT_TRUE(atB_.WaitFor(1, 200).empty());
}

// A text closed unread is reported to the sender as not delivered; one read is not.
TEST_F(ChatTest, ConnectionsBeyondTheReaderBoundAreClosedUnreadAndTheSenderLearnsIt) {
    ChatOptions options = Options(LoopbackAddress());
    options.maxReaders = 8;
    options.idleReaderMs = 60'000;
    CChatThread b(&atB_, &stop_, options);
    std::vector<net::UniqueSocket> held;
    for (int host = 2; host < 6; ++host) {
        for (int i = 0; i < 2; ++i) held.push_back(ConnectFrom(Loopback(host), b.Port()));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_TRUE(ClosedAfter(b.Port(), "5:hello"));
    EXPECT_TRUE(atB_.WaitFor(1, 300).empty());

    ChatOptions sending = Options(LoopbackAddress(), b.Port());
    sending.recipientTimeoutMs = 2000;
    Recorder atA;
    CChatThread a(&atA, &stop_, sending);
    a.AddRecipient(LoopbackAddress());
    a.QueueMessage("lost");
    EXPECT_EQ(atA.WaitForLost(1), (Messages{{LoopbackAddress(), "lost"}}));
    held.clear();
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    a.QueueMessage("read");
    EXPECT_EQ(atB_.WaitFor(1), (Messages{{LoopbackAddress(), "read"}}));
    EXPECT_EQ(atA.WaitForLost(2, 300).size(), 1u);
}

TEST_F(ChatTest, WaitReturnsPromptlyAfterTheStopFlagEvenWithASendStuck) {
    // A recipient that accepts nothing and reads nothing, with small buffers, stalls a big send.
    testing_support::LoopbackListener stuck = testing_support::ListenOnLoopback();
    testing_support::ShrinkBuffers(stuck.socket.get());
    CChatThread a(nullptr, &stop_, Options(LoopbackAddress(), stuck.port));
    a.AddRecipient(LoopbackAddress());
    a.QueueMessage(std::string(900'000, 'z'));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    stop_ = true;
    const auto before = std::chrono::steady_clock::now();
    a.Wait();
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(3));
}

// Sixteen addresses each opening another idle connection every 0.3 s (keeping the last four) for
// as long as the texts take.
TEST_F(ChatTest, AddressesRenewingIdleConnectionsCannotKeepARecipientsTextsOut) {
    CChatThread b(&atB_, &stop_, Options(LoopbackAddress()));
    b.AddRecipient(LoopbackAddress());
    StopFlag attackOver{false};
    std::thread attacker([&] {
        std::vector<std::deque<net::UniqueSocket>> held(16);
        while (!attackOver.load()) {
            for (int i = 0; i < 16 && !attackOver.load(); ++i) {
                held[i].push_back(ConnectFrom(Loopback(10 + i), b.Port()));
                if (held[i].size() > 4) held[i].pop_front();
                std::this_thread::sleep_for(std::chrono::milliseconds(300 / 16));
            }
        }
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(700));
    Recorder atA;
    ChatOptions sending = Options(LoopbackAddress(), b.Port());
    sending.recipientTimeoutMs = 2000;
    CChatThread a(&atA, &stop_, sending);
    a.AddRecipient(LoopbackAddress());
    for (int i = 0; i < 8; ++i) {
        a.QueueMessage("text " + std::to_string(i));
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
    }
    const Messages arrived = atB_.WaitFor(8);
    attackOver = true;
    attacker.join();
    EXPECT_EQ(arrived.size(), 8u);
    EXPECT_TRUE(atA.WaitForLost(1, 100).empty());
}

// Out of descriptors, the listening socket stays readable: the listener must pause, not spin, and
// take the waiting connection once descriptors are back.
TEST_F(ChatTest, TheListenerPausesWhileOutOfDescriptors) {
    CChatThread b(&atB_, &stop_, Options(LoopbackAddress()));
    net::UniqueSocket client = net::CreateTcpSocket();
    ASSERT_TRUE(net::SetBlocking(client.get(), false));
    rusage before{};
    rusage after{};
    {
        testing_support::DescriptorsExhausted exhausted;
        ASSERT_NE(net::StartConnect(client.get(), LoopbackAddress(), b.Port()),
                  net::ConnectStart::Failed);
        ::getrusage(RUSAGE_SELF, &before);
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        ::getrusage(RUSAGE_SELF, &after);
    }
    const auto cpuMs = [](const rusage& usage) {
        return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000L +
               (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000L;
    };
    EXPECT_LT(cpuMs(after) - cpuMs(before), 150);
    ASSERT_TRUE(testing_support::WriteRaw(client.get(), "5:hello"));
    EXPECT_EQ(atB_.WaitFor(1), (Messages{{LoopbackAddress(), "hello"}}));
}

}  // namespace
