// search PATTERN [--host HOST]: the names that match in the shares of every host found on the LAN
// (and every remembered host), or of one host; each host is asked on a thread of its own as soon
// as it is known, and its matches are printed as they arrive.
#include <poll.h>

#include <CLI/CLI.hpp>
#include <atomic>
#include <memory>
#include <mutex>
#include <ostream>
#include <set>
#include <thread>
#include <vector>

#include "cli/command_context.h"
#include "cli/commands.h"
#include "cli/host_finder.h"
#include "cli/listing_format.h"
#include "cli/signal_watch.h"
#include "client/extension_memo.h"
#include "client/host_search.h"
#include "core/parseini.h"
#include "net/socket.h"
#include "ui/desktop/remembered_hosts.h"
#include "ui/text/ui_strings.h"

namespace cli {

namespace {

// More hosts than any LAN of ours has; beyond this a flood of forged announcements is ignored.
constexpr std::size_t kMaxSearchedHosts = 256;

struct SearchArguments {
    std::string pattern;
    std::string host;
    double waitSeconds = 3.0;
};

// Asks each host once on a thread of its own and prints what comes back, one host's lines
// together. Output goes through one lock: lines of two hosts never mix.
class SearchRun {
public:
    SearchRun(const CommandContext& context, std::string pattern)
        : context_(context), pattern_(std::move(pattern)) {}
    ~SearchRun() {
        stop_ = true;
        Wait();
    }
    SearchRun(const SearchRun&) = delete;
    SearchRun& operator=(const SearchRun&) = delete;

    // `label` is what the lines call the host. Each address is asked once.
    void Ask(Ipv4 address, const std::string& label) {
        if (!asked_.insert(address).second || asked_.size() > kMaxSearchedHosts) return;
        ++running_;
        threads_.emplace_back([this, address, label] {
            Report(label, client::SearchHost(memo_, address, context_.options.requestPort, pattern_,
                                             &stop_));
            --running_;
        });
    }
    bool Busy() const { return running_ > 0; }
    void Stop() { stop_ = true; }
    void Wait() {
        for (auto& thread : threads_) thread.join();
        threads_.clear();
    }
    bool FoundAny() const { return found_; }

private:
    void Report(const std::string& label, const client::HostSearchResult& result) {
        std::lock_guard guard(outputLock_);
        switch (result.outcome) {
            case client::SearchOutcome::Answered:
                for (const client::SearchHit& hit : result.hits) {
                    context_.out << label << '\t' << hit.path << '\t'
                                 << (hit.folder ? std::string("-") : std::to_string(hit.size))
                                 << '\n';
                }
                context_.out.flush();
                found_ = found_ || !result.hits.empty();
                if (result.leftOut > 0) {
                    context_.err << "wendaro-cli: "
                                 << ui::FormatText(ui::Translate("%s has %s more matches; a "
                                                                 "narrower pattern shows them."),
                                                   {label, std::to_string(result.leftOut)})
                                 << std::endl;
                }
                break;
            case client::SearchOutcome::CannotSearch:
                context_.err << "wendaro-cli: "
                             << ui::FormatText(ui::Translate("%s cannot search: its program does "
                                                             "not offer searching."),
                                               {label})
                             << std::endl;
                break;
            case client::SearchOutcome::Unreachable:
                if (stop_) break;
                context_.err << "wendaro-cli: "
                             << ui::FormatText(ui::Translate("%s did not answer the search: %s."),
                                               {label, result.problem})
                             << std::endl;
                break;
        }
    }

    const CommandContext& context_;
    const std::string pattern_;
    client::ExtensionMemo memo_;
    StopFlag stop_{false};
    std::set<Ipv4> asked_;
    std::vector<std::thread> threads_;
    std::atomic<int> running_{0};
    std::mutex outputLock_;
    bool found_ = false;  // guarded by outputLock_
};

std::string LabelOf(const FoundHost& host) {
    const std::string address = net::FormatIpv4(host.address);
    return host.answered && !host.info.hostName.empty()
               ? PrintableText(host.info.hostName) + " (" + address + ")"
               : address;
}

// Waits for the searches still running; a stop signal ends them at once. True when interrupted.
bool WaitForSearches(SearchRun& run, SignalWatch& signals) {
    while (run.Busy()) {
        pollfd wait{signals.Descriptor(), POLLIN, 0};
        if (signals.Valid() && ::poll(&wait, 1, 100) > 0 && signals.Take() != 0) {
            run.Stop();
            run.Wait();
            return true;
        }
        if (!signals.Valid()) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    run.Wait();
    return false;
}

int RunSearch(const CommandContext& context, const SearchArguments& arguments) {
    if (arguments.pattern.empty() || arguments.pattern.size() > proto::kMaxSearchPatternLength) {
        context.err << "wendaro-cli: "
                    << ui::FormatText(ui::Translate("The pattern must have 1 to %s characters."),
                                      {std::to_string(proto::kMaxSearchPatternLength)})
                    << std::endl;
        return kExitUsage;
    }
    SignalWatch signals;
    SearchRun run(context, arguments.pattern);
    if (!arguments.host.empty()) {
        Ipv4 address = 0;
        std::string problem;
        if (!ResolveHostArgument(context.options, arguments.host, address, problem)) {
            return context.Fail(problem);
        }
        run.Ask(address, PrintableText(arguments.host));
    } else {
        // Hosts remembered by hand may lie beyond the subnet, where no announcement reaches us.
        const utilcpp::CParseini settings(context.SettingsFile());
        for (const std::string& host : ui::LoadRememberedHosts(settings)) {
            Ipv4 address = 0;
            if (net::ResolveHost(host, address)) run.Ask(address, PrintableText(host));
        }
        // Each host is asked the moment it answers, not when listening ends.
        FindHosts(
            context.options,
            std::chrono::milliseconds(static_cast<long long>(arguments.waitSeconds * 1000)),
            [&](const FoundHost& host) {
                run.Ask(host.address, LabelOf(host));
                return false;
            },
            &signals);
    }
    if (WaitForSearches(run, signals)) return kExitInterrupted;
    return run.FoundAny() ? kExitOk : kExitFailure;
}

}  // namespace

void AddSearchCommand(CLI::App& app, CommandContext& context, CommandAction& action) {
    auto arguments = std::make_shared<SearchArguments>();
    CLI::App* search = app.add_subcommand(
        "search", "Find files and folders by name in the shares of every host (or of one)");
    search
        ->add_option("PATTERN", arguments->pattern,
                     "Part of a name (any letter case), or a whole name with * and ?")
        ->required();
    search->add_option("--host", arguments->host, "Search only this host (name or address)");
    search->add_option("--wait", arguments->waitSeconds, "How long to listen for hosts (default 3)")
        ->type_name("SECONDS")
        ->check(CLI::Range(0.0, 60.0));
    search->callback([&context, &action, arguments] {
        action = [&context, arguments] { return RunSearch(context, *arguments); };
    });
}

}  // namespace cli
