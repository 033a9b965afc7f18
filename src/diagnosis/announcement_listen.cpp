#include "diagnosis/announcement_listen.h"

#include <poll.h>

#include <algorithm>
#include <cerrno>

#include "discovery/host_thread.h"
#include "discovery/udp_receiver.h"
#include "net/socket.h"
#include "util/error_text.h"

namespace diagnosis {

namespace {

constexpr const char* N_(const char* text) {
    return text;
}

// A flood of datagrams from many fake senders must not grow the list without end.
constexpr std::size_t kMaxSenders = 256;
constexpr std::size_t kDatagramCapacity = 512;
constexpr int kStopCheckMs = 100;

bool IsAnnouncement(const std::string& datagram) {
    const std::string_view text(datagram);
    return text.starts_with(kAnnouncementText) &&
           (text.size() == kAnnouncementText.size() ||
            (text.size() == kAnnouncementText.size() + 1 && text.back() == '\0'));
}

}  // namespace

ListenFacts ListenForAnnouncements(std::uint16_t port, std::chrono::milliseconds duration,
                                   const std::vector<Ipv4>& ownAddresses, const StopFlag* stop) {
    ListenFacts facts;
    facts.seconds = static_cast<int>((duration.count() + 999) / 1000);
    const net::UniqueSocket socket = discovery::CreateDatagramReceiver(0, port);
    if (!socket.valid()) {
        facts.error = util::ErrorText(errno);
        return facts;
    }
    facts.listening = true;
    const auto deadline = std::chrono::steady_clock::now() + duration;
    std::string datagram;
    while (!IsStopped(stop)) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        if (left <= 0) break;
        pollfd watched{socket.get(), POLLIN, 0};
        if (::poll(&watched, 1, static_cast<int>(std::min<long long>(left, kStopCheckMs))) <= 0) {
            continue;
        }
        Ipv4 sender = 0;
        while (discovery::ReceiveDatagram(socket.get(), kDatagramCapacity, datagram, sender)) {
            if (!IsAnnouncement(datagram)) continue;
            auto known =
                std::find_if(facts.senders.begin(), facts.senders.end(),
                             [&](const HeardSender& heard) { return heard.address == sender; });
            if (known == facts.senders.end()) {
                if (facts.senders.size() >= kMaxSenders) continue;
                const bool own = std::find(ownAddresses.begin(), ownAddresses.end(), sender) !=
                                 ownAddresses.end();
                facts.senders.push_back({sender, 0, own, {}});
                known = facts.senders.end() - 1;
            }
            ++known->announcements;
        }
    }
    return facts;
}

bool Heard(const ListenFacts& facts, Ipv4 address) {
    return std::any_of(facts.senders.begin(), facts.senders.end(),
                       [&](const HeardSender& heard) { return heard.address == address; });
}

Finding JudgeListening(const ListenFacts& facts) {
    Finding finding;
    finding.title = {N_("Announcements heard on UDP port 12345"), {}};
    if (!facts.listening) {
        finding.mark = Mark::Warning;
        finding.summary = {N_("Could not listen on UDP port 12345: %s."), {facts.error}};
        finding.fix = {N_("Another program holds the port; see the port check."), {}};
        return finding;
    }
    std::size_t others = 0;
    for (const HeardSender& heard : facts.senders) {
        std::string line = net::FormatIpv4(heard.address);
        if (heard.own) line += "  (this computer)";
        if (!heard.name.empty()) line += "  " + heard.name;
        finding.details.push_back(line);
        if (!heard.own) ++others;
    }
    if (others == 0) {
        finding.mark = Mark::Warning;
        finding.summary = {N_("No other computer announced itself within %s s."),
                           {std::to_string(facts.seconds)}};
        finding.fix = {N_("Start Wendaro on the other computers. If it runs there, check the "
                          "firewalls and whether both are in the same network."),
                       {}};
        return finding;
    }
    finding.summary = {N_("%s other computers announced themselves within %s s."),
                       {std::to_string(others), std::to_string(facts.seconds)}};
    return finding;
}

}  // namespace diagnosis
