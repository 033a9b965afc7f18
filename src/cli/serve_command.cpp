// serve: this host's shares, discovery and chat, until SIGINT or SIGTERM.
#include <poll.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <array>
#include <cerrno>

#include "cli/call_dispatcher.h"
#include "cli/command_context.h"
#include "cli/commands.h"
#include "cli/serve_console.h"
#include "cli/serve_session.h"
#include "cli/signal_watch.h"
#include "cli/stdin_lines.h"
#include "net/interfaces.h"

namespace cli {

namespace {

// What the chat pane lets a user type.
constexpr std::size_t kMaxChatLine = 1023;

int RunServe(const CommandContext& context) {
    // Before any thread starts, so that all of them inherit the blocked signals.
    SignalWatch signals;
    if (!signals.Valid()) return context.Fail("Cannot watch for stop signals.");
    CallDispatcher dispatcher;
    ServeConsole console(context.out);
    ServeSession session(context.options, context.SettingsFile(), console, dispatcher);
    std::string error;
    if (!session.Start(error)) {
        session.Shutdown();
        return context.Fail(error);
    }

    net::AddressChangeWatcher addresses;
    const bool watchAddresses = addresses.Arm();
    LineReader lines(kMaxChatLine);
    bool readInput = true;

    enum Slot { kSignal, kCalls, kInput, kAddresses, kSlots };
    while (true) {
        std::array<pollfd, kSlots> watched{};
        watched[kSignal] = {signals.Descriptor(), POLLIN, 0};
        watched[kCalls] = {dispatcher.WakeDescriptor(), POLLIN, 0};
        watched[kInput] = {readInput ? STDIN_FILENO : -1, POLLIN, 0};
        watched[kAddresses] = {watchAddresses ? addresses.Descriptor() : -1, POLLIN, 0};
        if (poll(watched.data(), watched.size(), -1) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        if ((watched[kSignal].revents & POLLIN) != 0 && signals.Take() != 0) break;
        if ((watched[kCalls].revents & POLLIN) != 0) dispatcher.RunPending();
        if ((watched[kInput].revents & (POLLIN | POLLHUP | POLLERR)) != 0) {
            char buffer[4096];
            const ssize_t got = read(STDIN_FILENO, buffer, sizeof buffer);
            if (got > 0) {
                for (const auto& line : lines.Feed(buffer, static_cast<std::size_t>(got))) {
                    session.QueueChat(line);
                }
            } else if (got == 0 || (errno != EINTR && errno != EAGAIN)) {
                // Input ended: the host goes on serving without it.
                for (const auto& line : lines.Finish()) session.QueueChat(line);
                readInput = false;
            }
        }
        if ((watched[kAddresses].revents & POLLIN) != 0 && addresses.CheckChanged()) {
            session.RefreshInterfaces();
            addresses.Arm();
        }
    }
    session.Shutdown();
    return kExitOk;
}

}  // namespace

void AddServeCommand(CLI::App& app, CommandContext& context, CommandAction& action) {
    CLI::App* serve = app.add_subcommand(
        "serve",
        "Share this host's folders, find the other hosts and chat with them until stopped "
        "(SIGINT/SIGTERM). Lines typed on standard input go to every host as chat texts.");
    serve->callback([&context, &action] { action = [&context] { return RunServe(context); }; });
}

}  // namespace cli
