#include "ui/desktop/web_view_settings.h"

#include "net/interfaces.h"
#include "net/socket.h"
#include "web/browser_access.h"
#include "web/qr_text.h"
#include "web/web_server.h"

namespace ui {

std::vector<std::string> WebViewAddresses() {
    std::vector<net::InterfaceEntry> interfaces;
    (void)net::EnumInterfaces(interfaces, false, false);
    std::vector<std::string> addresses;
    addresses.reserve(interfaces.size());
    for (const auto& entry : interfaces) {
        addresses.push_back("http://" + net::FormatIpv4(entry.address) + ":" +
                            std::to_string(web::kWebPort) + "/");
    }
    return addresses;
}

std::vector<std::string> AddressQrModules(const std::string& address) {
    return web::QrCodeModules(address);
}

std::vector<ApprovedBrowserRow> ApprovedBrowserRows(const std::string& settingsFile) {
    const web::BrowserAccess access(settingsFile, nullptr);
    std::vector<ApprovedBrowserRow> rows;
    for (const web::ApprovedBrowser& browser : access.List()) {
        rows.push_back({browser.token, browser.name + " (" + browser.address + ")"});
    }
    return rows;
}

bool RevokeBrowser(const std::string& settingsFile, const std::string& token) {
    web::BrowserAccess access(settingsFile, nullptr);
    (void)access.Revoke(token);
    return !access.IsApproved(token);
}

}  // namespace ui
