// What the options sheet shows of the web view: the addresses to type in a browser and the
// browsers the owner let in, each of which can be revoked.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ui {

struct ApprovedBrowserRow {
    // Identifies the entry for Revoke; never shown.
    std::string token;
    // "Firefox on Android (10.0.0.7)".
    std::string text;
};

// "http://10.0.0.2:12348/" for every address of this machine's interfaces that are up.
std::vector<std::string> WebViewAddresses();

// The QR code of an address for a phone's camera: one string per row, '#' for a dark module,
// without the quiet zone the drawing adds; empty when it cannot be made.
std::vector<std::string> AddressQrModules(const std::string& address);

std::vector<ApprovedBrowserRow> ApprovedBrowserRows(const std::string& settingsFile);

// True when the browser can no longer come in.
bool RevokeBrowser(const std::string& settingsFile, const std::string& token);

}  // namespace ui
