#include "web/browser_access.h"

#include <sys/random.h>

#include <array>
#include <utility>

#include "core/settings_keys.h"
#include "net/socket.h"
#include "util/steady_ms.h"

namespace web {
namespace {

constexpr std::size_t kTokenBytes = 24;
constexpr std::size_t kCodeDigits = 6;

bool Contains(std::string_view text, std::string_view part) {
    return text.find(part) != std::string_view::npos;
}

bool IsToken(std::string_view token) {
    if (token.size() != kTokenBytes * 2) return false;
    for (const char c : token) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
    }
    return true;
}

std::string RandomCode() {
    std::array<unsigned char, kCodeDigits> bytes{};
    if (getrandom(bytes.data(), bytes.size(), 0) != static_cast<ssize_t>(bytes.size())) return {};
    std::string code;
    // The bias of 256 % 10 is of no matter for a code that also expires and allows one try.
    for (const unsigned char byte : bytes) code.push_back(static_cast<char>('0' + byte % 10));
    return code;
}

}  // namespace

std::string RandomHex(std::size_t bytes) {
    std::string raw(bytes, '\0');
    if (getrandom(raw.data(), raw.size(), 0) != static_cast<ssize_t>(raw.size())) return {};
    static constexpr std::string_view kHex = "0123456789abcdef";
    std::string hex;
    for (const char c : raw) {
        const auto byte = static_cast<unsigned char>(c);
        hex.push_back(kHex[byte >> 4]);
        hex.push_back(kHex[byte & 0x0f]);
    }
    return hex;
}

std::string DescribeBrowser(std::string_view userAgent) {
    std::string browser = "Browser";
    // Order matters: most browsers also name the ones they descend from.
    if (Contains(userAgent, "Firefox/")) {
        browser = "Firefox";
    } else if (Contains(userAgent, "Edg/")) {
        browser = "Edge";
    } else if (Contains(userAgent, "OPR/")) {
        browser = "Opera";
    } else if (Contains(userAgent, "Chrome/") || Contains(userAgent, "CriOS/")) {
        browser = "Chrome";
    } else if (Contains(userAgent, "Safari/")) {
        browser = "Safari";
    } else if (Contains(userAgent, "curl/")) {
        browser = "curl";
    }
    std::string system;
    if (Contains(userAgent, "Android")) {
        system = "Android";
    } else if (Contains(userAgent, "iPhone")) {
        system = "iPhone";
    } else if (Contains(userAgent, "iPad")) {
        system = "iPad";
    } else if (Contains(userAgent, "Windows")) {
        system = "Windows";
    } else if (Contains(userAgent, "Mac OS X")) {
        system = "macOS";
    } else if (Contains(userAgent, "Linux")) {
        system = "Linux";
    }
    return system.empty() ? browser : browser + " on " + system;
}

BrowserAccess::BrowserAccess(std::string settingsFile, BrowserApprovalListener* listener)
    : BrowserAccess(std::move(settingsFile), listener, Options{}, &SteadyMilliseconds) {}

BrowserAccess::BrowserAccess(std::string settingsFile, BrowserApprovalListener* listener,
                             Options options, Clock clock)
    : settings_(std::move(settingsFile)),
      listener_(listener),
      options_(options),
      clock_(std::move(clock)) {}

bool BrowserAccess::IsApproved(std::string_view token) const {
    if (!IsToken(token)) return false;
    std::string value;
    settings_.GetString(settings_keys::kWebBrowsers, std::string(token), value,
                        settings_keys::kMissingValue);
    return value != settings_keys::kMissingValue;
}

void BrowserAccess::DropExpired(std::int64_t now) {
    std::erase_if(pending_, [&](const auto& entry) {
        return now - entry.second.askedMs >= options_.codeLifetimeMs;
    });
    std::erase_if(refusedUntil_, [&](const auto& entry) { return now >= entry.second; });
}

BrowserAccess::Waiting BrowserAccess::Wait(Ipv4 address, std::string_view userAgent) {
    Pending asked;
    {
        std::lock_guard guard(lock_);
        const std::int64_t now = clock_();
        DropExpired(now);
        if (refusedUntil_.contains(address)) return Waiting::Refused;
        if (pending_.contains(address)) return Waiting::Asked;
        if (pending_.size() >= options_.maxWaiting) return Waiting::Refused;
        asked = Pending{RandomCode(), DescribeBrowser(userAgent), now};
        if (asked.code.empty()) return Waiting::Refused;
        pending_[address] = asked;
    }
    if (listener_ != nullptr) listener_->OnBrowserWaiting(address, asked.name, asked.code);
    return Waiting::Asked;
}

std::optional<std::string> BrowserAccess::Approve(Ipv4 address, std::string_view code) {
    Pending approved;
    {
        std::lock_guard guard(lock_);
        const std::int64_t now = clock_();
        DropExpired(now);
        const auto found = pending_.find(address);
        if (found == pending_.end()) return std::nullopt;
        approved = std::move(found->second);
        // One try per question: guessing a code would otherwise take a million requests at most.
        pending_.erase(found);
        if (code != approved.code) {
            refusedUntil_[address] = now + options_.refusalMs;
            return std::nullopt;
        }
    }
    std::string token = RandomHex(kTokenBytes);
    if (token.empty()) return std::nullopt;
    const std::string value = net::FormatIpv4(address) + " " + approved.name;
    if (!settings_.SetString(settings_keys::kWebBrowsers, token, value)) return std::nullopt;
    return token;
}

std::vector<ApprovedBrowser> BrowserAccess::List() const {
    std::vector<std::string> lines;
    settings_.GetSection(settings_keys::kWebBrowsers, lines);
    std::vector<ApprovedBrowser> browsers;
    for (const std::string& line : lines) {
        const auto equals = line.find('=');
        if (equals == std::string::npos) continue;
        ApprovedBrowser browser;
        browser.token = line.substr(0, equals);
        const std::string value = line.substr(equals + 1);
        const auto space = value.find(' ');
        browser.address = value.substr(0, space);
        if (space != std::string::npos) browser.name = value.substr(space + 1);
        if (IsToken(browser.token)) browsers.push_back(std::move(browser));
    }
    return browsers;
}

bool BrowserAccess::Revoke(const std::string& token) {
    return settings_.DeleteKey(settings_keys::kWebBrowsers, token);
}

}  // namespace web
