// hosts [--wait SECONDS]: the hosts announcing themselves on the LAN, with their names.
// hosts add HOST / hosts remove HOST: hosts beyond the subnet, remembered in the settings and
// watched by every start of the program like the hosts found by announcement.
#include <CLI/CLI.hpp>
#include <memory>
#include <ostream>

#include "cli/command_context.h"
#include "cli/commands.h"
#include "cli/host_finder.h"
#include "cli/listing_format.h"
#include "cli/signal_watch.h"
#include "core/parseini.h"
#include "net/socket.h"
#include "ui/desktop/remembered_hosts.h"
#include "ui/text/ui_strings.h"

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
    utilcpp::CParseini settings(context.SettingsFile());
    for (const std::string& host : ui::LoadRememberedHosts(settings)) {
        context.out << host << "  " << ui::Translate("(remembered)") << '\n';
    }
    context.out.flush();
    return kExitOk;
}

int RunHostsAdd(const CommandContext& context, const std::string& host) {
    if (!ui::IsRememberableHost(host)) {
        return context.Fail(ui::FormatText(
            ui::Translate("\"%s\" is not a host name or dotted address."), {PrintableText(host)}));
    }
    Ipv4 address = 0;
    if (!net::ResolveHost(host, address)) {
        return context.Fail(ui::FormatText(
            ui::Translate("Cannot find the host \"%s\": not a known name or address."), {host}));
    }
    utilcpp::CParseini settings(context.SettingsFile());
    if (!ui::RememberHost(settings, host)) {
        return context.Fail(ui::FormatText(
            ui::Translate("Cannot remember %s: the list is full or the settings file cannot be "
                          "written."),
            {host}));
    }
    context.out << ui::FormatText(ui::Translate("Remembered %s (%s); the program watches it from "
                                                "its next start, or within 10 s if it runs."),
                                  {host, net::FormatIpv4(address)})
                << std::endl;
    return kExitOk;
}

int RunHostsRemove(const CommandContext& context, const std::string& host) {
    utilcpp::CParseini settings(context.SettingsFile());
    if (!ui::ForgetHost(settings, host)) {
        return context.Fail(ui::FormatText(
            ui::Translate("Cannot forget %s: the settings file cannot be written."), {host}));
    }
    return kExitOk;
}

}  // namespace

void AddHostsCommand(CLI::App& app, CommandContext& context, CommandAction& action) {
    auto waitSeconds = std::make_shared<double>(3.0);
    auto host = std::make_shared<std::string>();
    CLI::App* hosts = app.add_subcommand(
        "hosts", "List the hosts that announce themselves, and those remembered");
    hosts->add_option("--wait", *waitSeconds, "How long to listen (default 3)")
        ->type_name("SECONDS")
        ->check(CLI::Range(0.0, 3600.0));
    hosts->require_subcommand(0, 1);
    CLI::App* add = hosts->add_subcommand(
        "add", "Remember a host beyond the subnet by name or address, and watch it");
    add->add_option("HOST", *host, "Host name or dotted address")->required();
    CLI::App* remove = hosts->add_subcommand("remove", "Forget a remembered host");
    remove->add_option("HOST", *host, "Host name or dotted address, as it was added")->required();
    hosts->callback([&context, &action, waitSeconds, host, add, remove] {
        if (add->parsed()) {
            action = [&context, host] { return RunHostsAdd(context, *host); };
        } else if (remove->parsed()) {
            action = [&context, host] { return RunHostsRemove(context, *host); };
        } else {
            action = [&context, waitSeconds] { return RunHosts(context, *waitSeconds); };
        }
    });
}

}  // namespace cli
