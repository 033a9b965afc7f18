// chat HOST TEXT: one chat text to one host.
#include <CLI/CLI.hpp>
#include <memory>

#include "chat/chat_delivery.h"
#include "cli/command_context.h"
#include "cli/commands.h"
#include "cli/host_finder.h"
#include "ui/text/ui_strings.h"

namespace cli {

namespace {

// What the chat pane of every host accepts.
constexpr std::size_t kMaxChatText = 1023;

struct ChatArguments {
    std::string host;
    std::string text;
};

int RunChat(const CommandContext& context, const ChatArguments& arguments) {
    if (arguments.text.empty())
        return context.Fail(ui::Translate("The text is empty; nothing sent."));
    if (arguments.text.size() > kMaxChatText) {
        return context.Fail(ui::Translate("The text is longer than 1023 bytes; nothing sent."));
    }
    Ipv4 address = 0;
    std::string problem;
    if (!ResolveHostArgument(context.options, arguments.host, address, problem)) {
        return context.Fail(problem);
    }
    chat::DeliveryOptions delivery;
    delivery.port = context.options.chatPort;
    const StopFlag never{false};
    if (!chat::DeliverToAll(arguments.text, {address}, delivery, &never).empty()) {
        return context.Fail(ui::FormatText(
            ui::Translate(
                "The text was not delivered: %s could not be reached or did not read it."),
            {arguments.host}));
    }
    return kExitOk;
}

}  // namespace

void AddChatCommand(CLI::App& app, CommandContext& context, CommandAction& action) {
    auto arguments = std::make_shared<ChatArguments>();
    CLI::App* chat = app.add_subcommand("chat", "Send one chat text to a host");
    chat->add_option("HOST", arguments->host, "Host name or dotted address")->required();
    chat->add_option("TEXT", arguments->text, "The text (at most 1023 bytes)")->required();
    chat->callback([&context, &action, arguments] {
        action = [&context, arguments] { return RunChat(context, *arguments); };
    });
}

}  // namespace cli
