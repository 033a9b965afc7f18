// name [NEWNAME]: the name this host is announced and shown under.
#include <CLI/CLI.hpp>
#include <memory>
#include <ostream>

#include "cli/command_context.h"
#include "cli/commands.h"
#include "cli/host_name_setting.h"
#include "cli/listing_format.h"
#include "ui/text/ui_strings.h"

namespace cli {

namespace {

struct NameArguments {
    std::string newName;
    bool given = false;
};

int RunName(const CommandContext& context, const NameArguments& arguments) {
    utilcpp::CParseini settings(context.SettingsFile());
    if (!arguments.given) {
        context.out << PrintableText(ReadHostName(settings)) << std::endl;
        return kExitOk;
    }
    if (!WriteHostName(settings, arguments.newName)) {
        return context.Fail(ui::FormatText(ui::Translate("Cannot write the name to %s."),
                                           {settings.GetFileName()}));
    }
    return kExitOk;
}

}  // namespace

void AddNameCommand(CLI::App& app, CommandContext& context, CommandAction& action) {
    auto arguments = std::make_shared<NameArguments>();
    CLI::App* name = app.add_subcommand("name", "Show or set this computer's name");
    CLI::Option* newName = name->add_option("NEWNAME", arguments->newName, "The new name");
    name->callback([&context, &action, arguments, newName] {
        arguments->given = newName->count() > 0;
        action = [&context, arguments] { return RunName(context, *arguments); };
    });
}

}  // namespace cli
