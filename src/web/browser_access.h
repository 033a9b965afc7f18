// Who may use the web view. A browser is let in by a random token kept in its cookie and in the
// settings (with the address it came from and a name for it), and gets that token only after the
// owner allowed it: the owner is told a short code for each waiting browser, and the browser's
// page asks for that code. A browser that gave a wrong code is refused for a while without a new
// question, as unknown hosts are.
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/parseini.h"
#include "core/types.h"

namespace web {

// Told, on a web server thread, that a browser waits for the owner. Must not block for long.
class BrowserApprovalListener {
public:
    // `name` describes the browser ("Firefox on Android"); `code` is what its page asks for.
    virtual void OnBrowserWaiting(Ipv4 address, const std::string& name,
                                  const std::string& code) = 0;

protected:
    ~BrowserApprovalListener() = default;
};

struct ApprovedBrowser {
    std::string token;
    std::string address;
    std::string name;
};

// "Firefox on Android", "Chrome on Windows", ... from a User-Agent header; a plain "Browser"
// when nothing is recognised. Made only of our own words, never of the header's text.
std::string DescribeBrowser(std::string_view userAgent);

// Reads and writes the approved browsers in the settings file; keeps the waiting ones in memory.
class BrowserAccess {
public:
    struct Options {
        // A code stays valid this long after the question.
        std::int64_t codeLifetimeMs = 5 * 60 * 1000;
        // After a wrong code, the address is refused this long without a new question.
        std::int64_t refusalMs = 10'000;
        // Waiting browsers remembered at once; beyond this no new question is asked.
        std::size_t maxWaiting = 64;
    };
    using Clock = std::function<std::int64_t()>;

    BrowserAccess(std::string settingsFile, BrowserApprovalListener* listener);
    BrowserAccess(std::string settingsFile, BrowserApprovalListener* listener, Options options,
                  Clock clock);

    // True when the token is one the owner approved and has not revoked.
    bool IsApproved(std::string_view token) const;

    enum class Waiting {
        // The owner has been asked (now or earlier); the page should ask for the code.
        Asked,
        // Refused lately, or too many browsers wait: no question, nothing to type.
        Refused,
    };
    // An unapproved browser asks for a page.
    Waiting Wait(Ipv4 address, std::string_view userAgent);

    // The browser types the code. The token for its cookie when the code is right (then it is
    // approved and remembered); nothing when it is wrong (then it is refused for a while) or when
    // no code waits for that address.
    std::optional<std::string> Approve(Ipv4 address, std::string_view code);

    std::vector<ApprovedBrowser> List() const;
    // True when the token is gone afterwards.
    bool Revoke(const std::string& token);

private:
    struct Pending {
        std::string code;
        std::string name;
        std::int64_t askedMs = 0;
    };
    void DropExpired(std::int64_t now);

    utilcpp::CParseini settings_;
    BrowserApprovalListener* listener_;
    Options options_;
    Clock clock_;
    mutable std::mutex lock_;
    std::unordered_map<Ipv4, Pending> pending_;
    std::unordered_map<Ipv4, std::int64_t> refusedUntil_;
};

// Random bytes from the kernel as lowercase hex; empty when the kernel gives none.
std::string RandomHex(std::size_t bytes);

}  // namespace web
