// A peer that speaks only the common protocol: it classifies each request line by the common rules
// alone (begins with "ping", equals "expand" or "retrieve", equals or begins with "gethostinfo",
// equals "hostmodified"), answers from the test's table, and closes on any other word without a
// byte. Copies that never heard of our extension words behave like this.
#pragma once

#include <string>
#include <string_view>

#include "support/fake_host.h"

namespace testing_support {

inline bool IsCommonRequest(std::string_view line) {
    const std::string_view word = line.substr(0, line.find(':'));
    return word.starts_with("ping") || word == "expand" || word == "retrieve" ||
           word.starts_with("gethostinfo") || word == "hostmodified";
}

class CommonPeer {
public:
    CommonPeer()
        : host_([this](const std::string& request, net::Socket socket, const StopFlag& stop) {
              Answer(request, socket, stop);
          }) {}

    void SetReply(const std::string& request, std::string reply) {
        std::lock_guard guard(mutex_);
        replies_[request] = std::move(reply);
    }
    std::uint16_t Port() const { return host_.Port(); }
    std::vector<std::string> Requests() const { return host_.Requests(); }

private:
    void Answer(const std::string& request, net::Socket socket, const StopFlag& stop) {
        if (!IsCommonRequest(request)) return;
        std::string reply;
        {
            std::lock_guard guard(mutex_);
            const auto found = replies_.find(request);
            if (found == replies_.end()) return;
            reply = found->second;
        }
        net::SendString(socket, reply, &stop);
    }

    std::mutex mutex_;
    std::map<std::string, std::string> replies_;
    FakeHost host_;
};

}  // namespace testing_support
