// A CHostThread on loopback with an injected interface list and a recording broadcast sender, so
// that nothing leaves the machine. Host events are logged as "+<address> <name> <kind>" and
// "-<address>", announcements as "<text> <port> <destination>".
#pragma once

#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>

#include "discovery/host_thread.h"
#include "support/loopback.h"

namespace discovery_test {

using namespace std::chrono_literals;
using Lines = std::vector<std::string>;

inline Ipv4 Address(const char* dotted) {
    return ::inet_addr(dotted);
}

inline net::InterfaceEntry Interface(const char* address, const char* netmask) {
    return {Address(address), Address(netmask), Address(address) | ~Address(netmask)};
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
    }

    // Periods are shortened so that several rounds pass quickly.
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

    Lines Events() { return Copy(events_); }
    Lines Sent() { return Copy(sent_); }
    bool WaitForEvents(std::size_t count) { return WaitFor(events_, count); }
    bool WaitForSent(std::size_t count) { return WaitFor(sent_, count); }

    StopFlag stop_{false};
    std::unique_ptr<CHostThread> hosts_;

private:
    void Log(Lines& log, std::string line) {
        std::lock_guard guard(mutex_);
        log.push_back(std::move(line));
        changed_.notify_all();
    }
    Lines Copy(const Lines& log) {
        std::lock_guard guard(mutex_);
        return log;
    }
    bool WaitFor(const Lines& log, std::size_t count) {
        std::unique_lock guard(mutex_);
        return changed_.wait_for(guard, 5s, [&] { return log.size() >= count; });
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<net::InterfaceEntry> interfaces_;
    Lines events_;
    Lines sent_;
};

}  // namespace discovery_test
