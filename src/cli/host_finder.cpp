#include "cli/host_finder.h"

#include <algorithm>
#include <map>
#include <memory>

#include "cli/client_session.h"
#include "discovery/host_thread.h"
#include "net/socket.h"
#include "ui/text/ui_strings.h"
#include "util/text.h"

namespace cli {

namespace {

// Host information still on its way when listening ends gets this much longer.
constexpr std::chrono::milliseconds kAnswerGrace{3000};
constexpr std::chrono::milliseconds kNameSearch{3000};

class FoundHostCollector final : public HostListener {
public:
    FoundHostCollector(ClientSession& session, ui::QueuedDispatcher& dispatcher)
        : session_(session), dispatcher_(dispatcher) {}

    void OnHostAppeared(Ipv4 address, const std::string&, HostKind) override {
        dispatcher_.RunOnUiThread([&] {
            if (byAddress_.contains(address)) return;
            byAddress_[address] = hosts_.size();
            hosts_.push_back({address, {}, false});
            asked_[session_.Jobs().AddHostInfoJob(address, session_.Cancel())] = address;
        });
    }
    void OnHostDisappeared(Ipv4) override {}

    void OnHostInfo(JobId id, const proto::HostInfo& info) {
        const auto job = asked_.find(id);
        if (job == asked_.end()) return;
        FoundHost& host = hosts_[byAddress_[job->second]];
        host.info = info;
        host.answered = true;
        asked_.erase(job);
        latest_ = &host;
    }

    bool Unanswered() const { return !asked_.empty(); }
    const FoundHost* TakeLatestAnswer() { return std::exchange(latest_, nullptr); }
    std::vector<FoundHost> Hosts() const { return hosts_; }

private:
    ClientSession& session_;
    ui::QueuedDispatcher& dispatcher_;
    std::vector<FoundHost> hosts_;
    std::map<Ipv4, std::size_t> byAddress_;
    std::map<JobId, Ipv4> asked_;
    const FoundHost* latest_ = nullptr;
};

}  // namespace

std::vector<FoundHost> FindHosts(const GlobalOptions& options, std::chrono::milliseconds listen,
                                 const std::function<bool(const FoundHost&)>& enough,
                                 SignalWatch* signals) {
    ClientSession session(options, false);
    ui::QueuedDispatcher& dispatcher = session.Dispatcher();
    FoundHostCollector collector(session, dispatcher);
    bool satisfied = false;
    session.onHostInfo = [&](JobId id, const proto::HostInfo& info) {
        collector.OnHostInfo(id, info);
        if (const FoundHost* host = collector.TakeLatestAnswer(); host && enough && enough(*host)) {
            satisfied = true;
        }
    };

    StopFlag stop{false};
    HostThreadOptions discovery;
    discovery.discoveryPort = options.discoveryPort;
    discovery.requestPort = options.requestPort;
    discovery.sendBroadcast = [](std::uint16_t, std::string_view, Ipv4) { return true; };
    CHostThread hosts(&collector, &stop, discovery);

    auto end = session.Run([&] { return satisfied; }, signals, listen);
    if (end == ClientSession::End::TimedOut && !satisfied) {
        session.Run([&] { return satisfied || !collector.Unanswered(); }, signals, kAnswerGrace);
    }
    stop = true;
    dispatcher.BeginShutdown();
    hosts.Wait();
    return collector.Hosts();
}

bool ChooseHostByName(const std::vector<FoundHost>& found, const std::string& name, Ipv4& address,
                      std::string& error) {
    std::vector<Ipv4> matches;
    for (const FoundHost& candidate : found) {
        if (candidate.answered && xUtilEqualsNoCase(candidate.info.hostName, name)) {
            matches.push_back(candidate.address);
        }
    }
    if (matches.empty()) {
        error = ui::FormatText(
            ui::Translate("Cannot find the host \"%s\": not a known name or address."), {name});
        return false;
    }
    if (matches.size() > 1) {
        std::string addresses;
        for (const Ipv4 match : matches) {
            addresses += (addresses.empty() ? "" : ", ") + net::FormatIpv4(match);
        }
        error = ui::FormatText(ui::Translate("More than one host is named \"%s\" (%s); give the "
                                             "address of the one you mean."),
                               {name, addresses});
        return false;
    }
    address = matches.front();
    return true;
}

bool ResolveHostArgument(const GlobalOptions& options, const std::string& host, Ipv4& address,
                         std::string& error) {
    if (net::ResolveHost(host, address)) return true;
    // Listens the whole time: a second host of the same name must be found too.
    return ChooseHostByName(FindHosts(options, kNameSearch), host, address, error);
}

}  // namespace cli
