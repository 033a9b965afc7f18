// Checks and writes of the share dialog (section "shares": key the share name, value the
// folder), and the share name proposed for a folder dropped onto the main window.
#pragma once

#include <optional>
#include <string>

#include "core/parseini.h"
#include "core/share_check.h"
#include "ui/text/ui_strings.h"

namespace ui {

// Longest name or path the dialog reads from its fields.
inline constexpr std::size_t kMaxShareFieldLength = 1023;

using utilcpp::CheckShare;
using utilcpp::IsExistingFolder;
using utilcpp::ShareProblem;

// The message for a problem (none for ShareProblem::None). On PathNotAFolder the dialog's path
// field takes the focus.
std::optional<StringId> ShareProblemMessage(ShareProblem problem);

// The refusal of a name that an existing share holds in other letters, empty when none does;
// the command line's "share add" says the same.
std::string ShareNameCaseMessage(const utilcpp::CParseini& settings, const std::string& name,
                                 const std::string& editedName = {});

// A dropped folder's proposed share name: the text after its last path separator ("/" or
// "\"), or the whole path when that is empty (a root such as "/" or "D:\").
std::string ProposeShareNameForDrop(const std::string& folder);

// OK of "add share": the key name is set to the path (an existing share of that name gets the
// new path).
bool WriteNewShare(utilcpp::CParseini& settings, const std::string& name, const std::string& path);

// OK of "share properties": the name the dialog opened with is deleted first, so a rename leaves
// no old share behind.
bool WriteEditedShare(utilcpp::CParseini& settings, const std::string& originalName,
                      const std::string& name, const std::string& path);

}  // namespace ui
