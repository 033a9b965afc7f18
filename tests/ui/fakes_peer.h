// Real network objects for the controller on loopback only, and a scripted peer host on another
// loopback address that answers some requests and leaves every other one hanging, the way a
// stalled host would.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "net/connect.h"
#include "net/framing.h"
#include "net/socket.h"
#include "support/loopback.h"
#include "ui/lumvale_dialog.h"

namespace fakes {

// Discovery that never broadcasts, and every listener bound to 127.0.0.1.
inline ui::NetworkOptions LoopbackNetworkOptions(std::uint16_t requestPort,
                                                 std::uint16_t chatPort) {
    const Ipv4 loopback = testing_support::LoopbackAddress();
    ui::NetworkOptions options;
    options.discovery.discoveryPort = 0;
    options.discovery.bindAddress = loopback;
    options.discovery.requestPort = requestPort;
    options.discovery.enumerateInterfaces = [] { return std::vector<net::InterfaceEntry>{}; };
    options.discovery.sendBroadcast = [](std::uint16_t, std::string_view, Ipv4) { return true; };
    options.server.bindAddress = options.chat.bindAddress = loopback;
    options.server.port = options.jobs.requestPort = requestPort;
    options.chat.port = options.chat.sendPort = chatPort;
    options.watchAddressChanges = false;
    options.versionText = "1.0 00:00:00 01.01.26 ";
    return options;
}

class ScriptedPeer {
public:
    // A request found in `replies` is answered with its text; any other is read and left
    // unanswered, its connection held open.
    ScriptedPeer(Ipv4 address, std::uint16_t port, std::map<std::string, std::string> replies)
        : listener_(net::CreateListener(address, port)), replies_(std::move(replies)) {
        if (listener_.valid()) thread_ = std::thread([this] { Run(); });
    }
    ~ScriptedPeer() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
    }

    bool Valid() const { return listener_.valid(); }
    std::vector<std::string> Requests() const {
        std::lock_guard<std::mutex> guard(lock_);
        return requests_;
    }

private:
    void Run() {
        while (!stop_) {
            Ipv4 peer = 0;
            net::UniqueSocket connection =
                net::AcceptConnection(listener_.get(), &stop_, &peer, 50);
            std::string request;
            if (!connection.valid() || !net::ReceiveString(connection.get(), request, &stop_, 4096))
                continue;
            {
                std::lock_guard<std::mutex> guard(lock_);
                requests_.push_back(request);
            }
            if (replies_.count(request))
                net::SendString(connection.get(), replies_.at(request), &stop_);
            held_.push_back(std::move(connection));
        }
    }

    net::UniqueSocket listener_;
    const std::map<std::string, std::string> replies_;
    StopFlag stop_{false};
    mutable std::mutex lock_;
    std::vector<std::string> requests_;
    std::vector<net::UniqueSocket> held_;
    std::thread thread_;
};

// A client connection from `source` (any loopback address) to 127.0.0.1:port that sends one
// framed request and then reads nothing.
inline net::UniqueSocket SendRequestFrom(Ipv4 source, std::uint16_t port,
                                         const std::string& request) {
    net::UniqueSocket socket(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = source;
    sockaddr_in remote = local;
    remote.sin_addr.s_addr = testing_support::LoopbackAddress();
    remote.sin_port = htons(port);
    if (!socket.valid() ||
        ::bind(socket.get(), reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) {
        return {};
    }
    testing_support::ShrinkBuffers(socket.get());
    if (::connect(socket.get(), reinterpret_cast<sockaddr*>(&remote), sizeof remote) != 0 ||
        !testing_support::WriteRaw(socket.get(), std::to_string(request.size()) + ":" + request)) {
        return {};
    }
    return socket;
}

}  // namespace fakes
