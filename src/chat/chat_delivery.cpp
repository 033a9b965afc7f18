#include "chat/chat_delivery.h"

#include <linux/sockios.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <string>

#include "net/connect.h"
#include "net/framing.h"
#include "net/socket.h"
#include "util/steady_ms.h"

namespace chat {
namespace {

// The longest a wait goes without looking at the stop flag.
constexpr std::int64_t kPollSliceMs = 100;
// Gives a recipient that is just starting a chance to listen.
constexpr std::int64_t kRefusedPauseMs = 100;
// How often the acknowledgement of the text is looked at once the recipient has closed.
constexpr std::int64_t kAcknowledgeCheckMs = 10;

// One recipient's connection, from its first attempt until its text is out or it is given up.
class Delivery {
public:
    // Confirming: the text is out and our end is shut; the recipient's close is awaited.
    enum class State { Pausing, Connecting, Sending, Confirming, Done };

    Delivery(Ipv4 address, std::int64_t deadlineMs) : address_(address), deadlineMs_(deadlineMs) {}

    State state() const { return state_; }
    Ipv4 address() const { return address_; }
    bool delivered() const { return delivered_; }
    net::Socket socket() const { return socket_.get(); }
    // The events to wait for on the socket; 0 when only time matters.
    short events() const {
        if (state_ == State::Connecting || state_ == State::Sending) return POLLOUT;
        if (state_ == State::Confirming && !peerClosed_) return POLLIN;
        return 0;
    }

    void Attempt(const DeliveryOptions& options, std::int64_t now) {
        ++attempts_;
        socket_ = net::CreateTcpSocket();
        if (!socket_.valid() || !net::SetBlocking(socket_.get(), false)) {
            Fail(options, now);
            return;
        }
        switch (net::StartConnect(socket_.get(), address_, options.port)) {
            case net::ConnectStart::Connected:
                state_ = State::Sending;
                break;
            case net::ConnectStart::Pending:
                state_ = State::Connecting;
                break;
            case net::ConnectStart::Failed:
                Fail(options, now);
                break;
        }
    }

    // Called once the socket is ready (or has an error).
    void Advance(const DeliveryOptions& options, std::string_view framed, std::int64_t now) {
        if (state_ == State::Confirming) {
            Confirm();
            return;
        }
        if (state_ == State::Connecting) {
            if (!net::ConnectSucceeded(socket_.get())) {
                Fail(options, now);
                return;
            }
            state_ = State::Sending;
        }
        const ssize_t sent = ::send(socket_.get(), framed.data() + sent_, framed.size() - sent_,
                                    MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent > 0) sent_ += static_cast<std::size_t>(sent);
        const bool failed = sent < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR;
        if (failed) {
            Finish();
        } else if (sent_ == framed.size()) {
            // Our close tells the recipient the text is complete; its close tells us it read it.
            if (::shutdown(socket_.get(), SHUT_WR) == 0) {
                state_ = State::Confirming;
            } else {
                Finish();
            }
        }
    }

    // Gives up at the deadline and starts the next attempt once a pause is over.
    void Tick(const DeliveryOptions& options, std::int64_t now) {
        if (state_ == State::Confirming && peerClosed_) CheckAcknowledged();
        if (state_ == State::Done) return;
        if (now >= deadlineMs_) {
            Finish();
        } else if (state_ == State::Pausing && now >= retryAtMs_) {
            Attempt(options, now);
        }
    }

    // When this delivery next needs a look without any socket event.
    std::int64_t NextTimeMs(std::int64_t now) const {
        if (state_ == State::Confirming && peerClosed_) return now + kAcknowledgeCheckMs;
        return state_ == State::Pausing ? std::min(retryAtMs_, deadlineMs_) : deadlineMs_;
    }

private:
    void Confirm() {
        char discard[256];
        const ssize_t got = ::recv(socket_.get(), discard, sizeof discard, MSG_DONTWAIT);
        if (got > 0) return;  // nothing is ever answered; whatever came is dropped
        if (got < 0) {
            if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) Finish();
            return;
        }
        peerClosed_ = true;
        CheckAcknowledged();
    }
    // A recipient that closed before our text reached it closes normally too, but then resets
    // the connection instead of acknowledging the text: only a close after the acknowledgement
    // means the text was read.
    void CheckAcknowledged() {
        int error = 0;
        socklen_t size = sizeof error;
        int unacknowledged = 0;
        if (::getsockopt(socket_.get(), SOL_SOCKET, SO_ERROR, &error, &size) != 0 || error != 0 ||
            ::ioctl(socket_.get(), SIOCOUTQ, &unacknowledged) != 0) {
            Finish();
            return;
        }
        if (unacknowledged == 0) {
            delivered_ = true;
            Finish();
        }
    }

    void Fail(const DeliveryOptions& options, std::int64_t now) {
        socket_.reset();
        const bool attemptsLeft =
            options.connectAttempts <= 0 || attempts_ < options.connectAttempts;
        if (!attemptsLeft) {
            Finish();
            return;
        }
        state_ = State::Pausing;
        retryAtMs_ = now + kRefusedPauseMs;
    }
    void Finish() {
        socket_.reset();
        state_ = State::Done;
    }

    Ipv4 address_;
    std::int64_t deadlineMs_;
    std::int64_t retryAtMs_ = 0;
    int attempts_ = 0;
    std::size_t sent_ = 0;
    bool peerClosed_ = false;
    bool delivered_ = false;
    State state_ = State::Pausing;
    net::UniqueSocket socket_;
};

}  // namespace

std::vector<Ipv4> DeliverToAll(std::string_view text, const std::vector<Ipv4>& recipients,
                               const DeliveryOptions& options, const StopFlag* stop) {
    const std::string framed = net::LengthHeader(text.size()) + std::string(text);
    std::vector<Ipv4> undelivered;
    std::vector<Delivery> active;
    std::vector<pollfd> watched;
    std::size_t next = 0;
    while (!IsStopped(stop) && (next < recipients.size() || !active.empty())) {
        std::int64_t now = SteadyMilliseconds();
        while (active.size() < std::max<std::size_t>(options.mostAtOnce, 1) &&
               next < recipients.size()) {
            active.emplace_back(recipients[next++], now + options.recipientTimeoutMs);
            active.back().Attempt(options, now);
        }
        for (Delivery& delivery : active) delivery.Tick(options, now);
        std::erase_if(active, [&](const Delivery& d) {
            if (d.state() != Delivery::State::Done) return false;
            if (!d.delivered()) undelivered.push_back(d.address());
            return true;
        });

        watched.clear();
        std::int64_t wakeAt = now + kPollSliceMs;
        for (const Delivery& delivery : active) {
            wakeAt = std::min(wakeAt, delivery.NextTimeMs(now));
            const short events = delivery.events();
            watched.push_back({events != 0 ? delivery.socket() : -1, events, 0});
        }
        if (active.empty()) continue;
        const int timeout =
            static_cast<int>(std::clamp<std::int64_t>(wakeAt - now, 0, kPollSliceMs));
        if (::poll(watched.data(), watched.size(), timeout) <= 0) continue;
        now = SteadyMilliseconds();
        for (std::size_t i = 0; i < active.size(); ++i) {
            if (watched[i].revents != 0) active[i].Advance(options, framed, now);
        }
    }
    for (const Delivery& delivery : active) {
        if (!delivery.delivered()) undelivered.push_back(delivery.address());
    }
    undelivered.insert(undelivered.end(), recipients.begin() + static_cast<std::ptrdiff_t>(next),
                       recipients.end());
    return undelivered;
}

}  // namespace chat
