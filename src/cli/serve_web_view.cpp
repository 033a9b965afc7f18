#include "cli/serve_web_view.h"

#include <ostream>

#include "core/parseini.h"
#include "core/settings_keys.h"
#include "net/interfaces.h"
#include "net/socket.h"
#include "ui/controller/dispatcher_queue.h"
#include "ui/text/language_choice.h"
#include "ui/text/ui_strings.h"
#include "web/qr_text.h"

namespace cli {

ServeWebView::ServeWebView(std::ostream& out, ui::QueuedDispatcher& dispatcher,
                           std::string settingsFile, std::uint16_t port)
    : out_(out), dispatcher_(dispatcher) {
    web::WebOptions options;
    options.port = port;
    server_ = std::make_unique<web::WebServer>(std::move(settingsFile), std::string(), this,
                                               &ui::TranslateForCodes, options);
}

ServeWebView::~ServeWebView() {
    Stop();
}

bool ServeWebView::Start(const std::string& hostName) {
    server_->SetHostName(hostName);
    if (!server_->Start()) return false;
    std::vector<net::InterfaceEntry> interfaces;
    (void)net::EnumInterfaces(interfaces, false, false);
    std::string first;
    for (const auto& entry : interfaces) {
        const std::string address = "http://" + net::FormatIpv4(entry.address) + ":" +
                                    std::to_string(server_->Port()) + "/";
        if (first.empty()) first = address;
        out_ << ui::FormatText(ui::Translate("Web view: %s"), {address}) << '\n';
    }
    if (!first.empty()) out_ << web::QrCodeText(first);
    out_.flush();
    return true;
}

void ServeWebView::Stop() {
    if (server_) server_->Stop();
}

void ServeWebView::OnBrowserWaiting(Ipv4 address, const std::string& name,
                                    const std::string& code) {
    // The console belongs to the serving loop's thread.
    std::ostream& out = out_;
    dispatcher_.Post([&out, address, name, code] {
        out << ui::FormatText(ui::Translate("A browser on %s (%s) wants to see your shares. To "
                                            "let it in, type %s on its page."),
                              {net::FormatIpv4(address), name, code})
            << std::endl;
    });
}

bool WebViewWanted(const std::string& settingsFile) {
    const utilcpp::CParseini settings(settingsFile);
    int wanted = 0;
    settings.GetInt(settings_keys::kGlobal, settings_keys::kWebView, wanted, 0);
    return wanted == 1;
}

}  // namespace cli
