// info HOST: the information a host gives about itself.
#include <CLI/CLI.hpp>
#include <memory>
#include <optional>
#include <ostream>

#include "cli/client_session.h"
#include "cli/command_context.h"
#include "cli/commands.h"
#include "cli/host_finder.h"
#include "cli/listing_format.h"
#include "cli/remote_listing.h"
#include "ui/text/ui_strings.h"

namespace cli {

namespace {

// A host that does not answer is not reported by the queue: look for the job's end instead.
constexpr std::chrono::milliseconds kJobCheckPeriod{100};

int RunInfo(const CommandContext& context, const std::string& host) {
    Ipv4 address = 0;
    std::string problem;
    if (!ResolveHostArgument(context.options, host, address, problem)) {
        return context.Fail(problem);
    }
    std::optional<proto::HostInfo> info;
    bool jobEnded = false;
    const auto asked = std::chrono::steady_clock::now();
    {
        ClientSession session(context.options, true);
        const JobId id = session.Jobs().AddHostInfoJob(address, session.Cancel());
        session.onHostInfo = [&](JobId job, const proto::HostInfo& answer) {
            if (job == id) info = answer;
        };
        session.Run([&] { return info.has_value() || jobEnded; }, nullptr,
                    std::chrono::hours(24 * 365),
                    [&] { jobEnded = !session.Jobs().GetJobInfo(id, nullptr); }, kJobCheckPeriod);
    }
    if (!info) {
        if (LooksTimedOut(asked, context.options.timeoutSeconds)) {
            return context.Fail(
                ui::FormatText(ui::Translate("No answer from %s for %i s; giving up."),
                               {host, context.options.timeoutSeconds}));
        }
        return context.Fail(ui::FormatText(
            ui::Translate("Cannot get the information of %s: the host cannot be reached or closed "
                          "the connection."),
            {host}));
    }
    context.out << "Name:     " << PrintableText(info->hostName) << '\n'
                << "Version:  " << PrintableText(info->version) << '\n'
                << "Date:     " << PrintableText(info->date) << '\n'
                << "Time:     " << PrintableText(info->time) << '\n'
                << "System:   " << PrintableText(info->system) << std::endl;
    return kExitOk;
}

}  // namespace

void AddInfoCommand(CLI::App& app, CommandContext& context, CommandAction& action) {
    auto host = std::make_shared<std::string>();
    CLI::App* info = app.add_subcommand("info", "Show a host's name, version and system");
    info->add_option("HOST", *host, "Host name or dotted address")->required();
    info->callback([&context, &action, host] {
        action = [&context, host] { return RunInfo(context, *host); };
    });
}

}  // namespace cli
