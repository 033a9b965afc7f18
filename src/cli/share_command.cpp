// share add | list | remove
#include <CLI/CLI.hpp>
#include <algorithm>
#include <memory>
#include <ostream>

#include "cli/command_context.h"
#include "cli/commands.h"
#include "cli/listing_format.h"
#include "cli/share_commands.h"

namespace cli {

namespace {

struct ShareArguments {
    std::string name;
    std::string path;
};

int RunShareAdd(const CommandContext& context, const ShareArguments& arguments) {
    utilcpp::CParseini settings(context.SettingsFile());
    std::string error;
    if (!AddShare(settings, arguments.name, arguments.path, error)) return context.Fail(error);
    return kExitOk;
}

int RunShareRemove(const CommandContext& context, const ShareArguments& arguments) {
    utilcpp::CParseini settings(context.SettingsFile());
    std::string error;
    if (!RemoveShare(settings, arguments.name, error)) return context.Fail(error);
    return kExitOk;
}

int RunShareList(const CommandContext& context) {
    const utilcpp::CParseini settings(context.SettingsFile());
    const auto shares = ListShares(settings);
    std::size_t width = 0;
    for (const auto& share : shares) width = std::max(width, share.first.size());
    for (const auto& [name, path] : shares) {
        context.out << PrintableText(name) << std::string(width - name.size() + 2, ' ')
                    << PrintableText(path) << '\n';
    }
    context.out.flush();
    return kExitOk;
}

}  // namespace

void AddShareCommand(CLI::App& app, CommandContext& context, CommandAction& action) {
    auto arguments = std::make_shared<ShareArguments>();
    CLI::App* share = app.add_subcommand("share", "Show or change the folders this host shares");
    share->require_subcommand(1);

    CLI::App* add = share->add_subcommand("add", "Share a folder under a name");
    add->add_option("NAME", arguments->name, "Share name (no \"\\\")")->required();
    add->add_option("PATH", arguments->path, "Existing folder to share")->required();
    add->callback([&context, &action, arguments] {
        action = [&context, arguments] { return RunShareAdd(context, *arguments); };
    });

    CLI::App* list = share->add_subcommand("list", "List the shares: name and folder");
    list->callback([&context, &action] { action = [&context] { return RunShareList(context); }; });

    CLI::App* remove = share->add_subcommand("remove", "Stop sharing the share NAME");
    remove->add_option("NAME", arguments->name, "Share name")->required();
    remove->callback([&context, &action, arguments] {
        action = [&context, arguments] { return RunShareRemove(context, *arguments); };
    });
}

}  // namespace cli
