// Whether a share may be written to the "shares" section, checked the same way by every front end;
// each front end words the problem in its own texts.
#pragma once

#include <string>
#include <vector>

#include "core/parseini.h"

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

// The names of the "shares" section, in file order; of names that differ in case alone, the first.
std::vector<std::string> ShareNames(const CParseini& settings);

// The existing share whose name is `name` in other letters, empty when there is none. Lookups
// only ever reach one of two keys that differ in case alone, so writing the second spelling would
// leave a share nothing finds. The share being edited (`editedName`, empty for a new share) may
// change the case of its own name.
std::string ShareInOtherCase(const CParseini& settings, const std::string& name,
                             const std::string& editedName = {});

// True when the path names an existing directory (symbolic links followed).
bool IsExistingFolder(const std::string& path);

}  // namespace utilcpp
