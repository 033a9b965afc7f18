// The chat channel over loopback: delivery with the sender's address, recipients, hostile peers
// and prompt ends.
#include "chat/chat_thread.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "net/connect.h"
#include "net/framing.h"
#include "support/loopback.h"

namespace {

using testing_support::LoopbackAddress;
using Message = std::pair<Ipv4, std::string>;

Ipv4 Loopback(int lastByte) {
    return htonl(0x7F000000u | static_cast<std::uint32_t>(lastByte));
}

class RecordingChatListener : public ChatListener {
public:
    void OnChatMessage(Ipv4 address, const std::string& text) override {
        {
            std::lock_guard guard(mutex_);
            messages_.emplace_back(address, text);
        }
        changed_.notify_all();
    }

    // The first `count` messages, once they are there (bounded wait); fewer on time-out.
    std::vector<Message> WaitFor(std::size_t count, int timeoutMs = 5000) {
        std::unique_lock guard(mutex_);
        changed_.wait_for(guard, std::chrono::milliseconds(timeoutMs),
                          [&] { return messages_.size() >= count; });
        return messages_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Message> messages_;
};

ChatOptions ListenOn(Ipv4 address, std::uint16_t port = 0) {
    ChatOptions options;
    options.bindAddress = address;
    options.port = port;
    return options;
}

ChatOptions SendTo(std::uint16_t port) {
    ChatOptions options = ListenOn(LoopbackAddress());
    options.sendPort = port;
    options.connectAttempts = 2;
    return options;
}

// Sends raw bytes to a chat port and tells whether the peer closed within the time limit.
bool RawSendIsClosed(std::uint16_t port, const std::string& bytes) {
    net::UniqueSocket socket = net::ConnectTo(LoopbackAddress(), port, nullptr, 3);
    if (!socket.valid() || !testing_support::WriteRaw(socket.get(), bytes)) return false;
    char byte;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (std::chrono::steady_clock::now() < deadline) {
        const ssize_t got = ::recv(socket.get(), &byte, 1, MSG_DONTWAIT);
        if (got == 0) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

class ChatTest : public ::testing::Test {
protected:
    void TearDown() override { stop_ = true; }

    StopFlag stop_{false};
    RecordingChatListener receivedByB_;
};

TEST_F(ChatTest, TextsArriveInOrderWithTheSenderAddress) {
    CChatThread b(&receivedByB_, &stop_, ListenOn(LoopbackAddress()));
    ASSERT_NE(b.Port(), 0);
    CChatThread a(nullptr, &stop_, SendTo(b.Port()));
    a.AddRecipient(LoopbackAddress());
    const std::string longest(1023, 'x');
    a.QueueMessage("hello");
    a.QueueMessage("");
    a.QueueMessage(longest);
    a.QueueMessage("bye");
    const std::vector<Message> expected = {
        {LoopbackAddress(), "hello"}, {LoopbackAddress(), longest}, {LoopbackAddress(), "bye"}};
    EXPECT_EQ(receivedByB_.WaitFor(3), expected);
}

TEST_F(ChatTest, RecipientsAreAddedAndRemovedOneEntryAtATime) {
    CChatThread chat(nullptr, &stop_, ListenOn(LoopbackAddress()));
    chat.AddRecipient(Loopback(1));
    chat.AddRecipient(Loopback(2));
    chat.AddRecipient(Loopback(1));
    chat.RemoveRecipient(Loopback(1));
    chat.RemoveRecipient(Loopback(9));
    EXPECT_EQ(chat.Recipients(), (std::vector<Ipv4>{Loopback(2), Loopback(1)}));
}

TEST_F(ChatTest, ATextReachesOnlyTheRecipientsListedWhenItIsSent) {
    CChatThread b(&receivedByB_, &stop_, ListenOn(Loopback(1)));
    ASSERT_NE(b.Port(), 0);
    RecordingChatListener receivedByC;
    CChatThread c(&receivedByC, &stop_, ListenOn(Loopback(2), b.Port()));
    ASSERT_EQ(c.Port(), b.Port());
    CChatThread a(nullptr, &stop_, SendTo(b.Port()));

    a.AddRecipient(Loopback(1));
    a.AddRecipient(Loopback(2));
    a.RemoveRecipient(Loopback(2));
    a.QueueMessage("one");
    ASSERT_EQ(receivedByB_.WaitFor(1).size(), 1u);
    a.AddRecipient(Loopback(2));
    a.QueueMessage("two");
    const std::vector<Message> atC = receivedByC.WaitFor(1);
    ASSERT_EQ(atC.size(), 1u);
    EXPECT_EQ(atC[0].second, "two");
    EXPECT_EQ(receivedByB_.WaitFor(2).size(), 2u);
}

TEST_F(ChatTest, AnUnreachableRecipientIsSkipped) {
    CChatThread b(&receivedByB_, &stop_, ListenOn(LoopbackAddress()));
    CChatThread a(nullptr, &stop_, SendTo(b.Port()));
    a.AddRecipient(Loopback(3));  // nobody listens there
    a.AddRecipient(LoopbackAddress());
    a.QueueMessage("still here");
    const std::vector<Message> messages = receivedByB_.WaitFor(1);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].second, "still here");
}

TEST_F(ChatTest, MalformedAndUnfinishedTextsAreClosedUnreported) {
    ChatOptions options = ListenOn(LoopbackAddress());
    options.receiveTimeoutMs = 200;
    CChatThread b(&receivedByB_, &stop_, options);
    EXPECT_TRUE(RawSendIsClosed(b.Port(), "abc:"));
    EXPECT_TRUE(RawSendIsClosed(b.Port(), std::to_string(net::kMaxChatLength + 1) + ":"));
    EXPECT_TRUE(RawSendIsClosed(b.Port(), "10:short"));  // half a text, then a silence
    EXPECT_TRUE(RawSendIsClosed(b.Port(), ""));          // nothing at all

    CChatThread a(nullptr, &stop_, SendTo(b.Port()));
    a.AddRecipient(LoopbackAddress());
    a.QueueMessage("through");
    const std::vector<Message> messages = receivedByB_.WaitFor(1);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].second, "through");
}

TEST_F(ChatTest, ASilentPeerDoesNotHoldUpTextsFromOthers) {
    CChatThread b(&receivedByB_, &stop_, ListenOn(LoopbackAddress()));
    // Connected from another address, it says nothing for longer than this test waits.
    net::UniqueSocket silent = net::CreateTcpSocket();
    sockaddr_in source{};
    source.sin_family = AF_INET;
    source.sin_addr.s_addr = Loopback(5);
    ASSERT_EQ(::bind(silent.get(), reinterpret_cast<sockaddr*>(&source), sizeof source), 0);
    net::SetBlocking(silent.get(), false);
    ASSERT_TRUE(net::ConnectWithRetry(silent.get(), LoopbackAddress(), b.Port(), 3, nullptr));
    ASSERT_TRUE(testing_support::WriteRaw(silent.get(), "5:ab"));

    CChatThread a(nullptr, &stop_, SendTo(b.Port()));
    a.AddRecipient(LoopbackAddress());
    a.QueueMessage("through");
    const std::vector<Message> messages = receivedByB_.WaitFor(1);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], Message(LoopbackAddress(), "through"));
}

TEST_F(ChatTest, ConnectionsBeyondTheReaderBoundAreClosedUnread) {
    ChatOptions options = ListenOn(LoopbackAddress());
    options.maxReaders = 2;
    CChatThread b(&receivedByB_, &stop_, options);
    std::vector<net::UniqueSocket> silent;
    for (int i = 0; i < 2; ++i) {
        silent.push_back(net::ConnectTo(LoopbackAddress(), b.Port(), nullptr, 3));
        ASSERT_TRUE(silent.back().valid());
    }
    // The third is turned away once the first two are being read.
    EXPECT_TRUE(RawSendIsClosed(b.Port(), "5:hello"));
    EXPECT_TRUE(receivedByB_.WaitFor(1, 300).empty());
}

TEST_F(ChatTest, WaitReturnsPromptlyAfterTheStopFlagEvenWithASendStuck) {
    // A recipient that accepts nothing and reads nothing, with tiny buffers, stalls a big send.
    testing_support::LoopbackListener stuck = testing_support::ListenOnLoopback();
    testing_support::ShrinkBuffers(stuck.socket.get());
    CChatThread a(nullptr, &stop_, SendTo(stuck.port));
    a.AddRecipient(LoopbackAddress());
    a.QueueMessage(std::string(900'000, 'z'));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));

    stop_ = true;
    const auto before = std::chrono::steady_clock::now();
    a.Wait();
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(3));
}

TEST_F(ChatTest, DestroyingWithoutTheStopFlagEndsTheThreads) {
    StopFlag neverSet{false};
    const auto before = std::chrono::steady_clock::now();
    {
        CChatThread chat(nullptr, &neverSet, ListenOn(LoopbackAddress()));
        chat.QueueMessage("unsent");
    }
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(3));
}

}  // namespace

namespace {

TEST(ChatStartTest, WithoutItsPortTheChannelStillSendsAndStops) {
    StopFlag stop{false};
    RecordingChatListener received;
    CChatThread b(&received, &stop, ListenOn(LoopbackAddress()));
    ChatOptions clash = SendTo(b.Port());
    clash.port = b.Port();
    CChatThread a(nullptr, &stop, clash);
    EXPECT_EQ(a.Port(), 0);
    a.AddRecipient(LoopbackAddress());
    a.QueueMessage("sent anyway");
    EXPECT_EQ(received.WaitFor(1), (std::vector<Message>{{LoopbackAddress(), "sent anyway"}}));
    stop = true;
    a.Wait();
    b.Wait();
}

}  // namespace
