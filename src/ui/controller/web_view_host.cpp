#include "ui/controller/web_view_host.h"

#include <utility>

#include "core/parseini.h"
#include "core/settings_keys.h"
#include "net/socket.h"
#include "ui/controller/dispatcher.h"
#include "ui/text/language_choice.h"
#include "ui/text/ui_strings.h"
#include "ui/views/prompt_view.h"

namespace ui {

WebViewHost::WebViewHost(Dispatcher& dispatcher, PromptView& prompt, std::string settingsFile,
                         web::WebOptions options)
    : dispatcher_(dispatcher),
      prompt_(prompt),
      settingsFile_(std::move(settingsFile)),
      options_([&options] {
          web::WebOptions asked = options;
          asked.ownerAnswers = true;
          return asked;
      }()) {}

WebViewHost::~WebViewHost() {
    Stop();
}

bool WebViewHost::Apply(const std::string& hostName) {
    if (!WebViewWanted(settingsFile_)) {
        Stop();
        return true;
    }
    if (server_) {
        server_->SetHostName(hostName);
        return true;
    }
    auto server = std::make_unique<web::WebServer>(settingsFile_, hostName, this,
                                                   &TranslateForCodes, options_);
    if (!server->Start()) return false;
    server_ = std::move(server);
    return true;
}

void WebViewHost::Stop() {
    if (!server_) return;
    server_->Stop();
    server_.reset();
}

std::uint16_t WebViewHost::Port() const {
    return server_ ? server_->Port() : 0;
}

void WebViewHost::OnBrowserWaiting(Ipv4 address, const std::string& name,
                                   const std::string& /*code*/) {
    // The owner answers on the desktop, so the code stays unused; the question must not hold up
    // the web server's thread, which keeps serving the other browsers meanwhile.
    dispatcher_.Post([this, address, name] { AskOwner(address, name); });
}

void WebViewHost::AskOwner(Ipv4 address, const std::string& name) {
    if (!server_) return;
    const std::string question =
        FormatText(Translate("A browser on %s (%s) wants to see your shares. Allow?"),
                   {net::FormatIpv4(address), name});
    const Answer answer = prompt_.Ask(Question::BrowserWantsShares, question, PromptButtons::YesNo);
    // The question may have outlived the view (switched off meanwhile).
    if (!server_) return;
    if (answer == Answer::Yes) {
        server_->Access().Allow(address);
    } else {
        server_->Access().Refuse(address);
    }
}

bool WebViewWanted(const std::string& settingsFile) {
    const utilcpp::CParseini settings(settingsFile);
    int wanted = 0;
    settings.GetInt(settings_keys::kGlobal, settings_keys::kWebView, wanted, 0);
    return wanted == 1;
}

}  // namespace ui
