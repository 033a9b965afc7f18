// The folder part of a local path.
#pragma once

#include <string>

// "." when the path names no folder, "/" for a name in the root.
inline std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return path.substr(0, slash == 0 ? 1 : slash);
}
