// A host on loopback that answers requests from a table the test fills in, including answers no
// honest host would give: hostile listings, silence, a connection closed mid-file.
#pragma once

#include <arpa/inet.h>
#include <sys/socket.h>

#include <atomic>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "net/framing.h"
#include "net/socket.h"

namespace cli_test {

class FakeHost {
public:
    // What to do with one request line: reply with the text (framed), or stay silent until the
    // test ends (`silent`), or close at once.
    struct Answer {
        std::string reply;
        bool silent = false;
        bool close = false;
        // Sent as it stands, unframed, before closing: for replies that break off.
        std::string raw;
    };

    FakeHost() {
        listener_ = net::CreateListener(htonl(INADDR_LOOPBACK), 0);
        if (listener_.valid()) port_ = net::LocalPort(listener_.get());
        thread_ = std::thread([this] { Serve(); });
    }
    ~FakeHost() {
        stop_ = true;
        thread_.join();
        for (auto& worker : workers_) worker.join();
    }
    FakeHost(const FakeHost&) = delete;
    FakeHost& operator=(const FakeHost&) = delete;

    std::uint16_t Port() const { return port_; }

    void Set(const std::string& request, Answer answer) {
        std::lock_guard guard(lock_);
        answers_[request] = std::move(answer);
    }
    void SetReply(const std::string& request, std::string reply) {
        Set(request, {std::move(reply), false, false, {}});
    }

    std::vector<std::string> Requests() const {
        std::lock_guard guard(lock_);
        return requests_;
    }

private:
    void Serve() {
        while (!stop_) {
            Ipv4 peer = 0;
            net::UniqueSocket connection =
                net::AcceptConnection(listener_.get(), &stop_, &peer, 100);
            if (!connection.valid()) continue;
            workers_.emplace_back([this, socket = std::make_shared<net::UniqueSocket>(
                                             std::move(connection))] { Respond(socket->get()); });
        }
    }

    void Respond(net::Socket socket) {
        std::string request;
        if (!net::ReceiveString(socket, request, &stop_, 64 * 1024)) return;
        FakeHost::Answer answer{{}, false, true, {}};
        {
            std::lock_guard guard(lock_);
            requests_.push_back(request);
            const auto found = answers_.find(request);
            if (found != answers_.end()) answer = found->second;
        }
        if (answer.close) return;
        if (!answer.raw.empty()) {
            ::send(socket, answer.raw.data(), answer.raw.size(), MSG_NOSIGNAL);
            return;
        }
        if (answer.silent) {
            while (!stop_) std::this_thread::sleep_for(std::chrono::milliseconds(20));
            return;
        }
        net::SendString(socket, answer.reply, &stop_);
    }

    net::UniqueSocket listener_;
    std::uint16_t port_ = 0;
    StopFlag stop_{false};
    mutable std::mutex lock_;
    std::map<std::string, FakeHost::Answer> answers_;
    std::vector<std::string> requests_;
    std::thread thread_;
    std::vector<std::thread> workers_;
};

}  // namespace cli_test
