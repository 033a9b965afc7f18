// The "shares" section as the share commands edit it, with the checks and messages of the share
// properties dialog.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "core/parseini.h"

namespace cli {

// Empty when the share may be written; otherwise the dialog's message, checked in its order.
std::string CheckShare(const std::string& name, const std::string& path);

// Checks, then sets the key `name` of "shares" to the folder's absolute path (a share of that
// name gets the new path; a name that differs from a share's only in case is refused). False with
// the message in `error`.
bool AddShare(utilcpp::CParseini& settings, const std::string& name, const std::string& path,
              std::string& error);

// Deletes the key; false with a message when there is no such share or the file cannot be
// written. Share names are matched without regard to case, as everywhere in the settings.
bool RemoveShare(utilcpp::CParseini& settings, const std::string& name, std::string& error);

// (name, path) in file order, names trimmed as the share server reads them.
std::vector<std::pair<std::string, std::string>> ListShares(const utilcpp::CParseini& settings);

}  // namespace cli
