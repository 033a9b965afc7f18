// hosts [--wait SECONDS]: the hosts announcing themselves on the LAN, with their names.
#include <CLI/CLI.hpp>
#include <memory>
#include <ostream>

#include "cli/command_context.h"
#include "cli/commands.h"
#include "cli/host_finder.h"
#include "cli/listing_format.h"
#include "cli/signal_watch.h"
#include "net/socket.h"

namespace cli {

namespace {

int RunHosts(const CommandContext& context, double waitSeconds) {
    SignalWatch signals;
    const auto found = FindHosts(
        context.options, std::chrono::milliseconds(static_cast<long long>(waitSeconds * 1000)), {},
        &signals);
    for (const FoundHost& host : found) {
        context.out << net::FormatIpv4(host.address) << "  "
                    << (host.answered ? PrintableText(host.info.hostName) : "(no answer)") << '\n';
    }
    context.out.flush();
    return kExitOk;
}

}  // namespace

void AddHostsCommand(CLI::App& app, CommandContext& context, CommandAction& action) {
    auto waitSeconds = std::make_shared<double>(3.0);
    CLI::App* hosts = app.add_subcommand("hosts", "List the hosts that announce themselves");
    hosts->add_option("--wait", *waitSeconds, "How long to listen (default 3)")
        ->type_name("SECONDS")
        ->check(CLI::Range(0.0, 3600.0));
    hosts->callback([&context, &action, waitSeconds] {
        action = [&context, waitSeconds] { return RunHosts(context, *waitSeconds); };
    });
}

}  // namespace cli
