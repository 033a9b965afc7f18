// Whether a downloaded file may be written where its name leads. The names were checked one by one
// already; here the disk itself is asked: a symbolic link planted below the chosen folder must not
// carry a write elsewhere, a folder in the way is never replaced, and an existing file is replaced
// only with the user's consent.
#pragma once

#include <filesystem>
#include <functional>
#include <set>

namespace client {

// True when target's folder, with the symbolic links already on disk resolved, lies inside
// localDir.
bool StaysInside(const std::filesystem::path& localDir, const std::filesystem::path& target);

enum class TargetCheck { Write, Outside, FolderInTheWay, Kept };

// Asked when the target exists as a file; true lets the download replace it. The asker tells the
// user why a file was kept.
using OverwriteQuestion = std::function<bool(const std::filesystem::path& target)>;

// `overwrite`: every existing file may be replaced without asking. `insideFolders`, when given,
// keeps the folders already found inside localDir, so that thousands of files in one folder
// resolve it once; the caller checks again, once per folder, just before it writes.
TargetCheck CheckTarget(const std::filesystem::path& localDir, const std::filesystem::path& target,
                        bool overwrite, const OverwriteQuestion& mayOverwrite,
                        std::set<std::filesystem::path>* insideFolders = nullptr);

}  // namespace client
