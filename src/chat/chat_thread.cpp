// Threads of the chat channel: the sender that delivers queued texts, and the listener that hands
// each accepted connection to a reader of its own so that a silent peer holds up nobody.
#include "chat/chat_thread.h"

#include <sys/socket.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <map>
#include <system_error>

#include "chat/chat_delivery.h"
#include "net/framing.h"
#include "net/readiness.h"
#include "net/socket.h"
#include "util/steady_ms.h"

namespace {

// While accepting fails for want of descriptors or memory: how long the listening socket is left
// alone. It stays readable meanwhile, and polling it again at once would spin.
constexpr int kAcceptPauseMs = 100;

bool OutOfResources(int error) {
    return error == EMFILE || error == ENFILE || error == ENOBUFS || error == ENOMEM;
}

}  // namespace

struct CChatThread::Reader {
    net::UniqueSocket socket;
    Ipv4 peer = 0;
    std::uint64_t sequence = 0;
    std::int64_t deadlineMs = 0;
    StopFlag abort{false};
    // Guarded by readersLock_: the text was delivered or dropped.
    bool done = false;
    // Guarded by readersLock_: gave way to a newer connection; counts toward no bound.
    bool evicted = false;
    // From a host we chat with (a recipient): strangers cannot take its place.
    bool known = false;
    std::int64_t startedMs = 0;
    std::thread thread;
};

CChatThread::CChatThread(ChatListener* listener, const StopFlag* stop, ChatOptions options)
    : listener_(listener), stop_(stop), options_(options) {
    listenSocket_ = net::CreateListener(options_.bindAddress, options_.port, SOMAXCONN);
    if (listenSocket_.valid()) port_ = net::LocalPort(listenSocket_.get());
    try {
        listenerThread_ = std::thread([this] { ListenerThreadFunction(); });
        senderThread_ = std::thread([this] { SenderThreadFunction(); });
    } catch (const std::system_error&) {
        // Whatever started ends at once; the channel then neither sends nor receives.
        quit_ = true;
        outgoingChanged_.notify_all();
    }
}

CChatThread::~CChatThread() {
    quit_ = true;
    outgoingChanged_.notify_all();
    Wait();
}

void CChatThread::QueueMessage(const std::string& text) {
    if (text.empty()) return;
    {
        std::lock_guard guard(lock_);
        outgoing_.push_back(text);
    }
    outgoingChanged_.notify_all();
}

void CChatThread::AddRecipient(Ipv4 address) {
    std::lock_guard guard(lock_);
    recipients_.push_back(address);
}

void CChatThread::RemoveRecipient(Ipv4 address) {
    std::lock_guard guard(lock_);
    const auto found = std::find(recipients_.begin(), recipients_.end(), address);
    if (found != recipients_.end()) recipients_.erase(found);
}

std::vector<Ipv4> CChatThread::Recipients() const {
    std::lock_guard guard(lock_);
    return recipients_;
}

void CChatThread::Wait() {
    std::lock_guard guard(waitLock_);
    if (senderThread_.joinable()) senderThread_.join();
    if (listenerThread_.joinable()) listenerThread_.join();
}

bool CChatThread::Stopping() const {
    return quit_.load() || IsStopped(stop_);
}

void CChatThread::WakeSender(void* self) {
    auto& chat = *static_cast<CChatThread*>(self);
    { std::lock_guard guard(chat.lock_); }
    chat.outgoingChanged_.notify_all();
}

void CChatThread::ListenerThreadFunction() {
    int timeoutMs = -1;
    while (!Stopping()) {
        if (listenSocket_.valid()) {
            Ipv4 peer = 0;
            errno = 0;
            net::UniqueSocket accepted =
                net::AcceptConnection(listenSocket_.get(), &quit_, &peer, timeoutMs);
            if (accepted.valid()) {
                if (!Stopping()) StartReader(std::move(accepted), peer);
            } else if (OutOfResources(errno)) {
                // The readers finishing meanwhile free what the next accept needs.
                const int pause =
                    timeoutMs < 0 ? kAcceptPauseMs : std::min(timeoutMs, kAcceptPauseMs);
                net::detail::PauseUnlessStopped(std::max(pause, 1), &quit_);
            }
        } else {
            // Nothing to accept: there is nothing to do until the end.
            std::unique_lock guard(lock_);
            outgoingChanged_.wait(guard, [this] { return Stopping(); });
        }
        timeoutMs = SuperviseReaders(false);
    }
    // Connects and sends of the sender watch quit_, not the owner's flag.
    quit_ = true;
    outgoingChanged_.notify_all();
    SuperviseReaders(true);
    listenSocket_.reset();
}

// Called with readersLock_ held. Readers that gave way still end on their own; until then they
// hold a thread but no place. Strangers (addresses that are not recipients) together hold at most
// half of the places, and a recipient takes the place of a stranger when all are taken: addresses
// renewing idle connections cannot keep the texts of the hosts we chat with out.
bool CChatThread::MakeRoomFor(Ipv4 peer, bool known) {
    std::map<Ipv4, std::size_t> held;
    std::size_t taken = 0;
    std::size_t takenByStrangers = 0;
    for (const auto& reader : readers_) {
        if (reader->done || reader->evicted) continue;
        ++held[reader->peer];
        ++taken;
        if (!reader->known) ++takenByStrangers;
    }
    if (held[peer] >= std::max<std::size_t>(options_.maxReaders / 4, 1)) return false;
    const std::size_t strangersBound = std::max<std::size_t>(options_.maxReaders / 2, 1);
    const bool strangersFull = !known && takenByStrangers >= strangersBound;
    if (taken < options_.maxReaders && !strangersFull) return true;
    // A text of at most 1023 bytes arrives at once; a reader still waiting for one after a short
    // while is a connection held open, not a text on its way. A recipient does not wait for that.
    const std::int64_t idleSince = SteadyMilliseconds() - options_.idleReaderMs;
    Reader* victim = nullptr;
    for (const auto& reader : readers_) {
        if (reader->done || reader->evicted || reader->known) continue;
        if (!known && reader->startedMs > idleSince) continue;
        if (victim == nullptr || held[reader->peer] > held[victim->peer] ||
            (held[reader->peer] == held[victim->peer] && reader->startedMs < victim->startedMs)) {
            victim = reader.get();
        }
    }
    if (victim == nullptr && known) {
        // Only recipients hold places: the oldest idle one gives way, as among strangers.
        for (const auto& reader : readers_) {
            if (reader->done || reader->evicted || reader->startedMs > idleSince) continue;
            if (victim == nullptr || held[reader->peer] > held[victim->peer]) victim = reader.get();
        }
    }
    if (victim == nullptr) return false;
    victim->evicted = true;
    victim->abort = true;
    return true;
}

void CChatThread::StartReader(net::UniqueSocket socket, Ipv4 peer) {
    bool known = false;
    {
        std::lock_guard guard(lock_);
        known = std::find(recipients_.begin(), recipients_.end(), peer) != recipients_.end();
    }
    std::lock_guard guard(readersLock_);
    if (!MakeRoomFor(peer, known)) return;
    auto reader = std::make_unique<Reader>();
    reader->known = known;
    reader->socket = std::move(socket);
    reader->peer = peer;
    reader->sequence = nextReaderSequence_++;
    reader->startedMs = SteadyMilliseconds();
    reader->deadlineMs = reader->startedMs + options_.receiveTimeoutMs;
    Reader& started = *reader;
    try {
        started.thread = std::thread([this, &started] { ReaderThreadFunction(started); });
    } catch (const std::system_error&) {
        return;
    }
    readers_.push_back(std::move(reader));
}

void CChatThread::ReaderThreadFunction(Reader& reader) {
    std::string text;
    const bool received =
        net::ReceiveString(reader.socket.get(), text, &reader.abort, net::kMaxChatLength);
    reader.socket.reset();
    if (received && listener_ != nullptr) Deliver(reader, text);
    {
        std::lock_guard guard(readersLock_);
        reader.done = true;
    }
    readersChanged_.notify_all();
}

bool CChatThread::MayDeliver(const Reader& reader) const {
    if (delivering_) return false;
    for (const auto& other : readers_) {
        if (other->peer == reader.peer && other->sequence < reader.sequence && !other->done) {
            return false;
        }
    }
    return true;
}

void CChatThread::Deliver(Reader& reader, const std::string& text) {
    std::unique_lock guard(readersLock_);
    readersChanged_.wait(guard, [&] { return Stopping() || MayDeliver(reader); });
    if (Stopping()) return;
    delivering_ = true;
    guard.unlock();
    listener_->OnChatMessage(reader.peer, text);
    guard.lock();
    delivering_ = false;
}

int CChatThread::SuperviseReaders(bool stopAll) {
    const std::int64_t now = SteadyMilliseconds();
    std::int64_t nextDeadline = -1;
    std::list<std::unique_ptr<Reader>> finished;
    {
        std::lock_guard guard(readersLock_);
        for (auto it = readers_.begin(); it != readers_.end();) {
            Reader& reader = **it;
            if (stopAll || now >= reader.deadlineMs) {
                reader.abort = true;
            } else if (!reader.done && (nextDeadline < 0 || reader.deadlineMs < nextDeadline)) {
                nextDeadline = reader.deadlineMs;
            }
            auto next = std::next(it);
            if (stopAll || reader.done) finished.splice(finished.end(), readers_, it);
            it = next;
        }
    }
    // Readers waiting for their turn to deliver look at the stop flag again.
    if (stopAll) readersChanged_.notify_all();
    for (auto& reader : finished) reader->thread.join();
    return nextDeadline < 0 ? -1 : static_cast<int>(std::max<std::int64_t>(nextDeadline - now, 0));
}

void CChatThread::SenderThreadFunction() {
    for (;;) {
        std::string text;
        std::vector<Ipv4> recipients;
        {
            std::unique_lock guard(lock_);
            outgoingChanged_.wait(guard, [this] { return Stopping() || !outgoing_.empty(); });
            if (Stopping()) return;
            if (outgoing_.empty()) continue;
            text = std::move(outgoing_.front());
            outgoing_.pop_front();
            recipients = recipients_;
        }
        SendToAll(text, recipients);
    }
}

void CChatThread::SendToAll(const std::string& text, const std::vector<Ipv4>& recipients) {
    chat::DeliveryOptions delivery;
    delivery.port = options_.sendPort;
    delivery.connectAttempts = options_.connectAttempts;
    delivery.recipientTimeoutMs = options_.recipientTimeoutMs;
    // A recipient that cannot be reached is skipped; the others still get the text.
    const std::vector<Ipv4> undelivered = chat::DeliverToAll(text, recipients, delivery, &quit_);
    if (listener_ == nullptr || Stopping()) return;
    for (const Ipv4 address : undelivered) listener_->OnChatNotDelivered(address, text);
}
