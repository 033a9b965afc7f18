// Hosts added by hand (the add-host dialog, `wendaro-cli hosts add`), kept in the settings so
// that a host beyond the subnet, which no announcement brings, is watched again after a restart.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "core/parseini.h"

namespace ui {

// More would only be a way to make every start resolve and connect to a long list.
inline constexpr std::size_t kMaxRememberedHosts = 64;

// A host name or a dotted address: letters, digits, ".", "-" and "_", at most 253 characters.
bool IsRememberableHost(const std::string& text);

// In file order, at most kMaxRememberedHosts; entries that are not rememberable are skipped.
std::vector<std::string> LoadRememberedHosts(const utilcpp::CParseini& settings);

// Adds the host unless it is there (names compare without regard to case). False when it cannot
// be stored: not rememberable, the list is full, or the file could not be written.
bool RememberHost(utilcpp::CParseini& settings, const std::string& text);

// True when it is no longer remembered.
bool ForgetHost(utilcpp::CParseini& settings, const std::string& text);

}  // namespace ui
