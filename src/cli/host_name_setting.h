// The "hostname" setting: the name this computer is announced and shown under.
#pragma once

#include <string>

#include "core/parseini.h"

namespace cli {

// The stored name, or the machine's own host name when none is stored.
std::string ReadHostName(const utilcpp::CParseini& settings);
bool WriteHostName(utilcpp::CParseini& settings, const std::string& name);

// The "allowunknown" switch: hosts that discovery does not know may download.
bool AllowUnknownHosts(const utilcpp::CParseini& settings);

}  // namespace cli
