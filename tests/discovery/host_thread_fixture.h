// A CHostThread wired to loopback with an injected interface list and a recording broadcast
// sender, so that nothing leaves the machine.
#pragma once

#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "discovery/host_thread.h"
#include "support/loopback.h"

namespace discovery_test {

using namespace std::chrono_literals;

inline Ipv4 Address(const char* dotted) {
    return ::inet_addr(dotted);
}

inline net::InterfaceEntry Interface(const char* address, const char* netmask) {
    const Ipv4 a = Address(address);
    const Ipv4 m = Address(netmask);
    return net::InterfaceEntry{a, m, a | ~m};
}

// Reads and drops whatever arrives until the peer closes (true) or `limit` passes (false).
inline bool PeerClosesWithin(net::Socket socket, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    char buffer[4096];
    while (std::chrono::steady_clock::now() < deadline) {
        const ssize_t got = ::recv(socket, buffer, sizeof buffer, MSG_DONTWAIT);
        if (got == 0) return true;
        if (got < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) return true;
        pollfd entry{socket, POLLIN, 0};
        ::poll(&entry, 1, 20);
    }
    return false;
}

struct HostEvent {
    bool appeared;
    Ipv4 address;
    std::string name;
    HostKind kind;
    bool operator==(const HostEvent&) const = default;
};

inline HostEvent Appeared(Ipv4 address, std::string name, HostKind kind) {
    return {true, address, std::move(name), kind};
}
inline HostEvent Disappeared(Ipv4 address) {
    return {false, address, {}, HostKind::LocalHost};
}

struct SentAnnouncement {
    std::uint16_t port;
    std::string text;
    Ipv4 destination;
};

class RecordingHostListener : public HostListener {
public:
    void OnHostAppeared(Ipv4 address, const std::string& name, HostKind kind) override {
        Record(Appeared(address, name, kind));
    }
    void OnHostDisappeared(Ipv4 address) override { Record(Disappeared(address)); }

    std::vector<HostEvent> Events() {
        std::lock_guard guard(mutex_);
        return events_;
    }
    bool WaitForEvents(std::size_t count, std::chrono::milliseconds limit = 5000ms) {
        std::unique_lock guard(mutex_);
        return changed_.wait_for(guard, limit, [&] { return events_.size() >= count; });
    }

private:
    void Record(HostEvent event) {
        {
            std::lock_guard guard(mutex_);
            events_.push_back(std::move(event));
        }
        changed_.notify_all();
    }
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<HostEvent> events_;
};

class HostThreadTest : public ::testing::Test {
protected:
    void TearDown() override {
        stop_.store(true);
        if (hosts_) hosts_->Wait();
        hosts_.reset();
    }

    // Periods are shortened so that the tests see several rounds quickly.
    HostThreadOptions Options(std::uint16_t requestPort) {
        HostThreadOptions options;
        options.discoveryPort = 0;
        options.bindAddress = testing_support::LoopbackAddress();
        options.requestPort = requestPort;
        options.announceIntervalMs = 100;
        options.pingIntervalMs = 100;
        options.enumerateInterfaces = [this] {
            std::lock_guard guard(mutex_);
            return interfaces_;
        };
        options.sendBroadcast = [this](std::uint16_t port, std::string_view text, Ipv4 to) {
            {
                std::lock_guard guard(mutex_);
                sent_.push_back({port, std::string(text), to});
            }
            sentChanged_.notify_all();
            return true;
        };
        return options;
    }

    void Start(std::uint16_t requestPort) { Start(Options(requestPort)); }
    void Start(HostThreadOptions options) {
        hosts_ = std::make_unique<CHostThread>(&listener_, &stop_, std::move(options));
    }

    void SetInterfaces(std::vector<net::InterfaceEntry> interfaces) {
        std::lock_guard guard(mutex_);
        interfaces_ = std::move(interfaces);
    }
    std::vector<SentAnnouncement> Sent() {
        std::lock_guard guard(mutex_);
        return sent_;
    }
    bool WaitForSent(const std::function<bool(const std::vector<SentAnnouncement>&)>& condition,
                     std::chrono::milliseconds limit = 5000ms) {
        std::unique_lock guard(mutex_);
        return sentChanged_.wait_for(guard, limit, [&] { return condition(sent_); });
    }

    StopFlag stop_{false};
    RecordingHostListener listener_;
    std::unique_ptr<CHostThread> hosts_;

private:
    std::mutex mutex_;
    std::condition_variable sentChanged_;
    std::vector<net::InterfaceEntry> interfaces_;
    std::vector<SentAnnouncement> sent_;
};

}  // namespace discovery_test
