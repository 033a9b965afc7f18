// The web view of a serving host: started by `serve --web` (or the setting), its address and QR
// code printed, and the code of every waiting browser printed for the owner to pass on.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <memory>
#include <string>

#include "web/web_server.h"

namespace ui {
class QueuedDispatcher;
}

namespace cli {

class ServeWebView final : public web::BrowserApprovalListener {
public:
    ServeWebView(std::ostream& out, ui::QueuedDispatcher& dispatcher, std::string settingsFile,
                 std::uint16_t port);
    ~ServeWebView();
    ServeWebView(const ServeWebView&) = delete;
    ServeWebView& operator=(const ServeWebView&) = delete;

    // Listens and prints where browsers find the view; false when the port is taken.
    bool Start(const std::string& hostName);
    void Stop();

    void OnBrowserWaiting(Ipv4 address, const std::string& name, const std::string& code) override;

private:
    std::ostream& out_;
    ui::QueuedDispatcher& dispatcher_;
    std::unique_ptr<web::WebServer> server_;
};

// True when the settings ask for the web view ("webview" of section "global" is 1).
bool WebViewWanted(const std::string& settingsFile);

}  // namespace cli
