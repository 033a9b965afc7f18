// Each command adds its subcommand to the application and, when chosen, sets the action that
// main runs after parsing.
#pragma once

#include <functional>

namespace CLI {
class App;
}

namespace cli {

struct CommandContext;
using CommandAction = std::function<int()>;

void AddShareCommand(CLI::App& app, CommandContext& context, CommandAction& action);
void AddNameCommand(CLI::App& app, CommandContext& context, CommandAction& action);
void AddServeCommand(CLI::App& app, CommandContext& context, CommandAction& action);
void AddHostsCommand(CLI::App& app, CommandContext& context, CommandAction& action);
void AddLsCommand(CLI::App& app, CommandContext& context, CommandAction& action);
void AddInfoCommand(CLI::App& app, CommandContext& context, CommandAction& action);
void AddGetCommand(CLI::App& app, CommandContext& context, CommandAction& action);
void AddChatCommand(CLI::App& app, CommandContext& context, CommandAction& action);
void AddDoctorCommand(CLI::App& app, CommandContext& context, CommandAction& action);
void AddSearchCommand(CLI::App& app, CommandContext& context, CommandAction& action);

}  // namespace cli
