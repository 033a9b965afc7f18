// A CHostThread on loopback with an injected interface list and a recording broadcast sender, so
// that nothing leaves the machine. Host events are logged as "+<address> <name> <kind>" and
// "-<address>".
#pragma once

#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
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
    return {Address(address), Address(netmask), Address(address) | ~Address(netmask)};
}

// Reads and drops whatever arrives until the peer closes (true) or `limit` passes (false).
inline bool PeerClosesWithin(net::Socket socket, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    char buffer[4096];
    while (std::chrono::steady_clock::now() < deadline) {
        const ssize_t got = ::recv(socket, buffer, sizeof buffer, MSG_DONTWAIT);
        if (got == 0 || (got < 0 && errno != EAGAIN && errno != EINTR)) return true;
        pollfd entry{socket, POLLIN, 0};
        ::poll(&entry, 1, 20);
    }
    return false;
}

class HostThreadTest : public ::testing::Test, public HostListener {
protected:
    void OnHostAppeared(Ipv4 address, const std::string& name, HostKind kind) override {
        Log(events_, "+" + net::FormatIpv4(address) + " " + name + " " +
                         std::to_string(static_cast<int>(kind)));
    }
    void OnHostDisappeared(Ipv4 address) override { Log(events_, "-" + net::FormatIpv4(address)); }

    void TearDown() override {
        stop_.store(true);
        if (hosts_) hosts_->Wait();
        hosts_.reset();
    }

    // Periods are shortened so that several rounds pass quickly. Announcements are logged as
    // "<text> <port> <destination>".
    HostThreadOptions Options(std::uint16_t requestPort) {
        HostThreadOptions options;
        options.discoveryPort = 0;
        options.bindAddress = testing_support::LoopbackAddress();
        options.requestPort = requestPort;
        options.announceIntervalMs = options.pingIntervalMs = 100;
        options.enumerateInterfaces = [this] {
            std::lock_guard guard(mutex_);
            return interfaces_;
        };
        options.sendBroadcast = [this](std::uint16_t port, std::string_view text, Ipv4 to) {
            Log(sent_, std::string(text) + " " + std::to_string(port) + " " + net::FormatIpv4(to));
            return true;
        };
        return options;
    }
    void Start(HostThreadOptions options) {
        hosts_ = std::make_unique<CHostThread>(this, &stop_, std::move(options));
    }

    void SetInterfaces(std::vector<net::InterfaceEntry> interfaces) {
        std::lock_guard guard(mutex_);
        interfaces_ = std::move(interfaces);
    }
    std::vector<std::string> Events() { return Copy(events_); }
    std::vector<std::string> Sent() { return Copy(sent_); }
    bool WaitForEvents(std::size_t count) { return WaitFor(events_, count); }
    bool WaitForSent(std::size_t count) { return WaitFor(sent_, count); }

    StopFlag stop_{false};
    std::unique_ptr<CHostThread> hosts_;

private:
    void Log(std::vector<std::string>& log, std::string line) {
        {
            std::lock_guard guard(mutex_);
            log.push_back(std::move(line));
        }
        changed_.notify_all();
    }
    std::vector<std::string> Copy(const std::vector<std::string>& log) {
        std::lock_guard guard(mutex_);
        return log;
    }
    bool WaitFor(const std::vector<std::string>& log, std::size_t count) {
        std::unique_lock guard(mutex_);
        return changed_.wait_for(guard, 5s, [&] { return log.size() >= count; });
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<net::InterfaceEntry> interfaces_;
    std::vector<std::string> events_;
    std::vector<std::string> sent_;
};

}  // namespace discovery_test
