// The chat channel: texts queued here go to every recipient over a fresh connection each, and
// texts arriving on the chat port are handed to the listener with their sender's address.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/types.h"
#include "net/socket.h"

class ChatListener {
public:
    // A text arrived from `address` (network order, the connection's peer). Called on a chat
    // thread, one call at a time, without the chat lock held; `text` lives only for the call.
    virtual void OnChatMessage(Ipv4 address, const std::string& text) = 0;
    // A queued text did not reach `address`: it could not be reached in time, or it closed the
    // connection with the text unread. Called on the sender thread, without the chat lock held.
    virtual void OnChatNotDelivered(Ipv4 address, const std::string& text) = 0;

protected:
    ~ChatListener() = default;
};

struct ChatOptions {
    // Address (network order, 0 = any) and TCP port to listen on; port 0 binds an ephemeral port.
    Ipv4 bindAddress = 0;
    std::uint16_t port = kChatPort;
    // The recipients' chat port.
    std::uint16_t sendPort = kChatPort;
    // Connection attempts per recipient.
    int connectAttempts = 10;
    // Time a recipient has, from its first connection attempt, to take in a text. Recipients are
    // served at once, so one that cannot be reached holds up each text by no more than this.
    int recipientTimeoutMs = 5'000;
    // Time a peer has to deliver its text once connected.
    int receiveTimeoutMs = 10'000;
    // Incoming connections read at once. One address gets a quarter of them (at least one), and
    // addresses that are not recipients together half of them. When all are taken, the oldest
    // reader of the stranger holding the most gives way to a recipient at once, and to anybody
    // once it has not received its text for `idleReaderMs`; without one, the newcomer is closed
    // unread (and its sender learns so). Peers holding connections open cannot keep the texts of
    // the hosts we chat with out.
    std::size_t maxReaders = 16;
    int idleReaderMs = 500;
};

class CChatThread {
public:
    // `listener` may be null. `stop` is the owner's shutdown flag (may be null). Binds the
    // listening socket, then starts the listener thread and the sender thread.
    CChatThread(ChatListener* listener, const StopFlag* stop, ChatOptions options = {});
    // Ends the threads (also when the stop flag was never set) and waits for them.
    ~CChatThread();
    CChatThread(const CChatThread&) = delete;
    CChatThread& operator=(const CChatThread&) = delete;

    // Texts leave one at a time in this order, each to every recipient (all of them at once)
    // before the next. Empty texts are not sent.
    void QueueMessage(const std::string& text);
    void AddRecipient(Ipv4 address);
    // Removes the first entry equal to the address, if any.
    void RemoveRecipient(Ipv4 address);
    std::vector<Ipv4> Recipients() const;

    // Returns once both threads have ended, which they do within about 200 ms of the stop flag.
    void Wait();

    // The TCP port the chat listener is bound to; 0 when it could not listen.
    std::uint16_t Port() const { return port_; }

private:
    struct Reader;

    void ListenerThreadFunction();
    void SenderThreadFunction();
    void StartReader(net::UniqueSocket socket, Ipv4 peer);
    bool MakeRoomFor(Ipv4 peer, bool known);
    void ReaderThreadFunction(Reader& reader);
    // Aborts the readers past their deadline and joins the finished ones; returns how long the
    // listener may sleep until the next deadline (-1: none).
    int SuperviseReaders(bool stopAll);
    static void WakeSender(void* self);
    bool MayDeliver(const Reader& reader) const;
    void Deliver(Reader& reader, const std::string& text);
    void SendToAll(const std::string& text, const std::vector<Ipv4>& recipients);
    bool Stopping() const;

    ChatListener* listener_;
    const StopFlag* stop_;
    const ChatOptions options_;

    net::UniqueSocket listenSocket_;
    std::uint16_t port_ = 0;
    // Set from the owner's flag or by the destructor; every wait watches it.
    StopFlag quit_{false};

    mutable std::mutex lock_;
    std::condition_variable outgoingChanged_;
    std::vector<Ipv4> recipients_;
    std::deque<std::string> outgoing_;

    // Readers of incoming connections. Only the listener thread adds and removes them; texts are
    // delivered one at a time, and texts from one address in the order their connections came.
    std::mutex readersLock_;
    std::condition_variable readersChanged_;
    std::list<std::unique_ptr<Reader>> readers_;
    std::uint64_t nextReaderSequence_ = 0;
    bool delivering_ = false;

    std::mutex waitLock_;
    std::thread listenerThread_;
    std::thread senderThread_;

    // Every wait ends when quit_ is set, and the owner's flag sets quit_.
    StopWaker senderWaker_{&quit_, &CChatThread::WakeSender, this};
    StopRelay ownerRelay_{stop_, quit_};
};
