// Whether a share may be written to the "shares" section, checked the same way by every front end;
// each front end words the problem in its own texts.
#pragma once

#include <string>

namespace utilcpp {

enum class ShareProblem {
    None,
    NameOrPathEmpty,  // a name of blanks only counts as empty
    BackslashInName,
    // Blanks at either end, a line end, "=", ";" or "[": the settings file would read back
    // another name, or none.
    NameNotStorable,
    PathNotAFolder,
    // A folder whose path holds a line end cannot be kept in the settings file.
    PathNotStorable,
};

// The checks in the order the share dialog makes them; the first failing one is reported. Names
// are neither trimmed nor compared with existing shares.
ShareProblem CheckShare(const std::string& name, const std::string& path);

// True when the path names an existing directory (symbolic links followed).
bool IsExistingFolder(const std::string& path);

}  // namespace utilcpp
