// What a web view URL below "/s/" names in the local shares, decided by the same share lookup and
// confinement as the request protocol's share paths.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/parseini.h"
#include "server/share_paths.h"

namespace web {

enum class TargetKind {
    // The URL cannot name anything: malformed, or a spelling that tries to climb out (400).
    BadRequest,
    // No such share, nothing at that place, or something outside the share or not a plain file
    // or folder (404): a caller cannot tell these apart.
    NotFound,
    Folder,
    File,
};

struct ShareTarget {
    TargetKind kind = TargetKind::NotFound;
    // Share name first, then the names below it, decoded.
    std::vector<std::string> components;
    // Set for Folder and File.
    server::LocalPath local;
};

// `components` as SplitUrlPath gives them for the part of the URL after "/s/"; at least the share.
ShareTarget ResolveShareTarget(const utilcpp::CParseini& settings,
                               std::vector<std::string> components);

// Splits a raw URL path below `prefix` ("/s/") and resolves it; BadRequest when the path is not
// below the prefix or not well formed.
ShareTarget ResolveUrl(const utilcpp::CParseini& settings, std::string_view rawPath,
                       std::string_view prefix);

}  // namespace web
