// Mapping the backslash share paths of requests onto the local file system, so that no request
// can reach anything outside the folder of its share.
#pragma once

#include <string>
#include <string_view>

#include "core/parseini.h"

namespace server {

// Splits "\<share>[\<rest>]" into the share name and the rest (empty, or beginning with "\").
// False for an empty path or one that does not begin with a backslash.
bool SplitSharePath(std::string_view path, std::string& shareName, std::string& rest);

// True when the rest of a share path names nothing above the share: no NUL byte and no ".."
// component, with "\" and "/" both counted as separators.
bool IsSafeShareRest(std::string_view rest);

// The local folder of a share from the "shares" section, one trailing separator dropped. False
// when there is no such share, and for an empty or blank name.
bool LookupShareFolder(const utilcpp::CParseini& settings, const std::string& shareName,
                       std::string& folder);

enum class PathKind { Missing, Folder, File, Other };

struct LocalPath {
    // The real location, free of symbolic links, unless the last component is missing.
    std::string path;
    // The share folder's real location; every resolved path lies at or below it.
    std::string shareRoot;
    PathKind kind = PathKind::Missing;
};

// Maps the rest of a share path below `folder`. Refused (false): an unsafe rest, a share folder
// that does not exist, any location that lies outside the share folder once symbolic links are
// followed, a missing parent folder, a dangling symbolic link. A missing last component is
// accepted (kind Missing) so that the caller can fail the way it fails on an unopenable file.
bool MapIntoShare(const std::string& folder, std::string_view rest, LocalPath& out);

// True when `path` is `root` or lies below it (both real, absolute paths).
bool IsWithin(std::string_view path, std::string_view root);

// The real location of `path`, following every symbolic link; false when it does not exist.
bool RealLocation(const std::string& path, std::string& out);

}  // namespace server
