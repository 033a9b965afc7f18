// Checks and writes of the share dialog (section "shares": key the share name, value the
// folder), and the share name proposed for a folder dropped onto the main window.
#pragma once

#include <optional>
#include <string>

#include "core/parseini.h"
#include "ui/text/ui_strings.h"

namespace ui {

inline constexpr const char* kSharesSection = "shares";
// Longest name or path the dialog reads from its fields.
inline constexpr std::size_t kMaxShareFieldLength = 1023;

enum class ShareProblem {
    None,
    NameOrPathEmpty,  // StringId::ShareNameAndPathMissing
    BackslashInName,  // StringId::ShareNameBackslash
    PathNotAFolder,   // StringId::SharePathInvalid; the path field takes the focus
};

// The checks in the order the dialog makes them; the first failing one is reported. Names are
// neither trimmed nor compared with existing shares.
ShareProblem CheckShare(const std::string& name, const std::string& path);

// The message for a problem (none for ShareProblem::None).
std::optional<StringId> ShareProblemMessage(ShareProblem problem);

// True when the path names an existing directory (symbolic links followed).
bool IsExistingFolder(const std::string& path);

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
