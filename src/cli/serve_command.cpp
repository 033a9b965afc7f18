// serve: this host's shares, discovery and chat, until SIGINT or SIGTERM. The main-window
// controller does the work, as in the GUI; serve gives it console views and runs its loop.
#include <poll.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <array>
#include <cerrno>
#include <chrono>
#include <memory>

#include "cli/command_context.h"
#include "cli/commands.h"
#include "cli/console_views.h"
#include "cli/serve_web_view.h"
#include "cli/signal_watch.h"
#include "cli/stdin_lines.h"
#include "ui/controller/dispatcher_queue.h"
#include "ui/controller/listening_ports.h"
#include "ui/controller/lumvale_dialog.h"
#include "ui/text/ui_strings.h"

namespace cli {

namespace {

using SteadyTime = std::chrono::steady_clock::time_point;
using std::chrono::milliseconds;

// What the chat pane lets a user type.
constexpr std::size_t kMaxChatLine = 1023;
constexpr milliseconds kSecondTimer{1000};
constexpr milliseconds kTenthSecondTimer{100};

ui::NetworkOptions ServeNetworkOptions(const GlobalOptions& options) {
    ui::NetworkOptions network;
    network.discovery.discoveryPort = options.discoveryPort;
    network.discovery.requestPort = options.requestPort;
    network.server.port = options.requestPort;
    network.jobs.requestPort = options.requestPort;
    network.chat.port = options.chatPort;
    network.chat.sendPort = options.chatPort;
    return network;
}

// A timer of the controller: due when its period has passed since it last ran.
struct LoopTimer {
    milliseconds period;
    SteadyTime due;

    bool TakeIfDue(SteadyTime now) {
        if (now < due) return false;
        // A loop that fell behind runs the timer once, not once per missed period.
        due = std::max(due + period, now);
        return true;
    }
};

class ServeLoop {
public:
    ServeLoop(ui::CLumvaleDialog& controller, ui::QueuedDispatcher& dispatcher, ConsoleChat& chat,
              SignalWatch& signals)
        : controller_(controller), dispatcher_(dispatcher), chat_(chat), signals_(signals) {}

    // Until a stop signal arrives.
    void Run() {
        const SteadyTime start = std::chrono::steady_clock::now();
        LoopTimer second{kSecondTimer, start + kSecondTimer};
        LoopTimer tenth{kTenthSecondTimer, start + kTenthSecondTimer};
        enum Slot { kSignal, kCalls, kInput, kSlots };
        while (true) {
            const SteadyTime now = std::chrono::steady_clock::now();
            if (second.TakeIfDue(now)) controller_.OnSecondTimer();
            if (tenth.TakeIfDue(now)) controller_.OnTenthSecondTimer();
            const auto wait =
                std::chrono::ceil<milliseconds>(std::min(second.due, tenth.due) - now);

            std::array<pollfd, kSlots> watched{};
            watched[kSignal] = {signals_.Descriptor(), POLLIN, 0};
            watched[kCalls] = {dispatcher_.WakeDescriptor(), POLLIN, 0};
            watched[kInput] = {readInput_ ? STDIN_FILENO : -1, POLLIN, 0};
            const int timeout = static_cast<int>(std::max<long long>(wait.count(), 0));
            if (poll(watched.data(), watched.size(), timeout) < 0) {
                if (errno == EINTR) continue;
                return;
            }
            if ((watched[kSignal].revents & POLLIN) != 0 && signals_.Take() != 0) return;
            if ((watched[kCalls].revents & POLLIN) != 0) dispatcher_.RunPending();
            if ((watched[kInput].revents & (POLLIN | POLLHUP | POLLERR)) != 0) ReadInput();
        }
    }

private:
    void ReadInput() {
        char buffer[4096];
        const ssize_t got = read(STDIN_FILENO, buffer, sizeof buffer);
        if (got > 0) {
            for (auto& line : lines_.Feed(buffer, static_cast<std::size_t>(got))) Send(line);
        } else if (got == 0 || (errno != EINTR && errno != EAGAIN)) {
            // Input ended: the host goes on serving without it.
            for (auto& line : lines_.Finish()) Send(line);
            readInput_ = false;
        }
    }

    // As if the line had been typed into the chat pane and sent.
    void Send(std::string& line) {
        chat_.SetInput(std::move(line));
        controller_.SendChat();
    }

    ui::CLumvaleDialog& controller_;
    ui::QueuedDispatcher& dispatcher_;
    ConsoleChat& chat_;
    SignalWatch& signals_;
    LineReader lines_{kMaxChatLine};
    bool readInput_ = true;
};

int RunServe(const CommandContext& context, bool webWanted) {
    // Before any thread starts, so that all of them inherit the blocked signals.
    SignalWatch signals;
    if (!signals.Valid()) return context.Fail(ui::Translate("Cannot watch for stop signals."));
    const bool web = webWanted || WebViewWanted(context.SettingsFile());
    const std::uint16_t request = context.options.requestPort;
    const std::uint16_t chat = context.options.chatPort;
    if (const auto taken = web ? ui::TakenPortMessage({request, chat, web::kWebPort})
                               : ui::TakenPortMessage({request, chat})) {
        return context.Fail(*taken);
    }

    ui::QueuedDispatcher dispatcher;
    ServeViews views(context.out, context.SettingsFile(), dispatcher);
    ui::ControllerOptions options;
    options.settingsFile = context.SettingsFile();
    options.ownsWebView = false;
    ui::CLumvaleDialog controller(views.Views(), options,
                                  ui::OwnedNetworkFactory(ServeNetworkOptions(context.options)));
    controller.Start();
    ServeWebView webView(context.out, dispatcher, context.SettingsFile(), web::kWebPort);
    if (web && !webView.Start(controller.HostName())) {
        controller.Shutdown();
        return context.Fail(
            ui::FormatText(ui::Translate("Cannot listen on TCP port %u (does another copy run?)."),
                           {static_cast<unsigned>(web::kWebPort)}));
    }
    ServeLoop(controller, dispatcher, views.Chat(), signals).Run();
    // Browsers are cut off before the shares' other servers stop.
    webView.Stop();
    controller.Shutdown();
    return kExitOk;
}

}  // namespace

void AddServeCommand(CLI::App& app, CommandContext& context, CommandAction& action) {
    CLI::App* serve = app.add_subcommand(
        "serve",
        "Share this host's folders, find the other hosts and chat with them until stopped "
        "(SIGINT/SIGTERM). Lines typed on standard input go to every host as chat texts.");
    auto web = std::make_shared<bool>(false);
    serve->add_flag("--web", *web,
                    "Also serve a read-only web view of the shares on TCP port 12348, for any "
                    "browser the owner lets in (the setting \"webview=1\" does the same)");
    serve->callback(
        [&context, &action, web] { action = [&context, web] { return RunServe(context, *web); }; });
}

}  // namespace cli
