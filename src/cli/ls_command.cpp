// ls HOST [PATH]: one folder of another host, readable by a person.
#include <CLI/CLI.hpp>
#include <memory>
#include <ostream>

#include "cli/client_session.h"
#include "cli/command_context.h"
#include "cli/commands.h"
#include "cli/host_finder.h"
#include "cli/listing_format.h"
#include "cli/remote_listing.h"
#include "cli/remote_path.h"

namespace cli {

namespace {

struct LsArguments {
    std::string host;
    std::string path = "\\";
};

int RunLs(const CommandContext& context, const LsArguments& arguments) {
    Ipv4 address = 0;
    std::string problem;
    if (!ResolveHostArgument(context.options, arguments.host, address, problem)) {
        return context.Fail(problem);
    }
    const std::string path = NormalizeRemotePath(arguments.path);
    std::vector<DirEntry> listing;
    std::size_t leftOut = 0;
    ListResult result;
    {
        ClientSession session(context.options, false);
        result = ListRemoteFolder(session, address, path, nullptr, context.options.timeoutSeconds,
                                  listing, &leftOut);
    }
    if (result != ListResult::Ok) {
        return context.Fail(
            DescribeListFailure(result, arguments.host, path, context.options.timeoutSeconds));
    }
    context.out << FormatListing(std::move(listing)) << std::flush;
    // The summary counts only what arrived; without this line it would pass for the whole folder.
    if (leftOut > 0) context.err << "wendaro-cli: " << DescribeCutListing(leftOut) << std::endl;
    return kExitOk;
}

}  // namespace

void AddLsCommand(CLI::App& app, CommandContext& context, CommandAction& action) {
    auto arguments = std::make_shared<LsArguments>();
    CLI::App* ls = app.add_subcommand("ls", "List a folder of another host (default: its shares)");
    ls->add_option("HOST", arguments->host, "Host name or dotted address")->required();
    ls->add_option("PATH", arguments->path, "Share path, e.g. \\Music or /Music (default: \\)");
    ls->callback([&context, &action, arguments] {
        action = [&context, arguments] { return RunLs(context, *arguments); };
    });
}

}  // namespace cli
