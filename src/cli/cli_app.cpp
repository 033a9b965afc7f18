#include "cli/cli_app.h"

#include <CLI/CLI.hpp>
#include <ostream>

#include "cli/command_context.h"
#include "cli/commands.h"
#include "net/framing.h"

namespace cli {

namespace {

void AddGlobalOptions(CLI::App& app, GlobalOptions& options) {
    app.add_option("--config", options.configFile, "Settings file to use")->type_name("FILE");
    app.add_option("--timeout", options.timeoutSeconds,
                   "Give up on a host that sends nothing for this long (default 30)")
        ->type_name("SECONDS")
        ->check(CLI::Range(1, 86400));
    // Tests run several hosts on one loopback interface, each on ports of its own.
    app.add_option("--request-port", options.requestPort)->group("");
    app.add_option("--chat-port", options.chatPort)->group("");
    app.add_option("--discovery-port", options.discoveryPort)->group("");
    app.add_flag("--common-protocol", options.commonProtocol)->group("");
}

int Dispatch(CLI::App& app, const std::vector<std::string>& args, CommandContext& context,
             CommandAction& action) {
    std::vector<std::string> reversed(args.rbegin(), args.rend());
    if (!reversed.empty()) reversed.pop_back();  // the program name
    try {
        app.parse(reversed);
    } catch (const CLI::CallForHelp&) {
        context.out << app.help();
        return kExitOk;
    } catch (const CLI::CallForAllHelp&) {
        context.out << app.help("", CLI::AppFormatMode::All);
        return kExitOk;
    } catch (const CLI::ParseError& error) {
        context.err << "wendaro-cli: " << error.what() << " (see --help)" << std::endl;
        return kExitUsage;
    }
    if (!action) {
        context.err << "wendaro-cli: no command given (see --help)" << std::endl;
        return kExitUsage;
    }
    net::SetReceiveIdleTimeout(context.options.timeoutSeconds * 1000);
    try {
        return action();
    } catch (const std::exception& error) {
        return context.Fail(error.what());
    }
}

}  // namespace

int RunCli(const std::vector<std::string>& args, CliStreams streams) {
    CommandContext context{
        {}, streams.out, streams.err, streams.in, streams.outputIsTerminal, streams.canAsk};
    CLI::App app{"wendaro-cli: share files and chat with the other Wendaro hosts on the LAN"};
    app.name("wendaro-cli");
    app.require_subcommand(0, 1);
    // "wendaro-cli ls --config FILE host" works as well; subcommands take this from the parent.
    app.fallthrough();
    AddGlobalOptions(app, context.options);

    CommandAction action;
    AddServeCommand(app, context, action);
    AddShareCommand(app, context, action);
    AddNameCommand(app, context, action);
    AddHostsCommand(app, context, action);
    AddLsCommand(app, context, action);
    AddInfoCommand(app, context, action);
    AddGetCommand(app, context, action);
    AddChatCommand(app, context, action);
    AddDoctorCommand(app, context, action);
    AddSearchCommand(app, context, action);
    return Dispatch(app, args, context, action);
}

}  // namespace cli
