// The desktop program's web view: started and stopped as the settings' "webview" switch says,
// and every browser that waits for the owner is asked about like an unknown host.
#pragma once

#include <memory>
#include <string>

#include "core/types.h"
#include "web/browser_access.h"
#include "web/web_server.h"

namespace ui {

class Dispatcher;
class PromptView;

class WebViewHost final : public web::BrowserApprovalListener {
public:
    // `dispatcher` and `prompt` must outlive the host; questions are asked on the UI thread.
    WebViewHost(Dispatcher& dispatcher, PromptView& prompt, std::string settingsFile,
                web::WebOptions options = {});
    ~WebViewHost();
    WebViewHost(const WebViewHost&) = delete;
    WebViewHost& operator=(const WebViewHost&) = delete;

    // Starts or stops the view as the settings say now. False when it is wanted but its port
    // cannot be had; it is then not running.
    bool Apply(const std::string& hostName);
    void Stop();
    bool IsRunning() const { return server_ != nullptr; }
    // The port it listens on; 0 when it is not running.
    std::uint16_t Port() const;
    // Who may come in; null when it is not running.
    web::BrowserAccess* Access() { return server_ ? &server_->Access() : nullptr; }

    // Network thread: hands the question to the UI thread.
    void OnBrowserWaiting(Ipv4 address, const std::string& name, const std::string& code) override;
    // UI thread: asks the owner about a waiting browser. Only Yes lets it in; No, or closing the
    // question, refuses it for a while.
    void AskOwner(Ipv4 address, const std::string& name);

private:
    Dispatcher& dispatcher_;
    PromptView& prompt_;
    const std::string settingsFile_;
    const web::WebOptions options_;
    std::unique_ptr<web::WebServer> server_;
};

// True when the settings ask for the web view ("webview" of section "global" is 1).
bool WebViewWanted(const std::string& settingsFile);

}  // namespace ui
