#include "ui/desktop/remembered_hosts.h"

#include <algorithm>

#include "core/settings_keys.h"
#include "util/text.h"

namespace ui {

namespace {

constexpr std::size_t kMaxHostNameLength = 253;

}  // namespace

bool IsRememberableHost(const std::string& text) {
    if (text.empty() || text.size() > kMaxHostNameLength) return false;
    return std::all_of(text.begin(), text.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
               c == '.' || c == '-' || c == '_';
    });
}

std::vector<std::string> LoadRememberedHosts(const utilcpp::CParseini& settings) {
    std::vector<std::string> lines;
    std::vector<std::string> hosts;
    static_cast<void>(settings.GetSection(settings_keys::kRememberedHosts, lines));
    for (const std::string& line : lines) {
        if (hosts.size() >= kMaxRememberedHosts) break;
        std::string key = line.substr(0, line.find('='));
        while (!key.empty() && key.back() == ' ') key.pop_back();
        if (IsRememberableHost(key)) hosts.push_back(key);
    }
    return hosts;
}

bool RememberHost(utilcpp::CParseini& settings, const std::string& text) {
    if (!IsRememberableHost(text)) return false;
    const std::vector<std::string> known = LoadRememberedHosts(settings);
    if (std::any_of(known.begin(), known.end(),
                    [&](const std::string& host) { return xUtilEqualsNoCase(host, text); })) {
        return true;
    }
    if (known.size() >= kMaxRememberedHosts) return false;
    return settings.SetString(settings_keys::kRememberedHosts, text, "1");
}

bool ForgetHost(utilcpp::CParseini& settings, const std::string& text) {
    if (!IsRememberableHost(text)) return true;
    return settings.DeleteKey(settings_keys::kRememberedHosts, text);
}

}  // namespace ui
