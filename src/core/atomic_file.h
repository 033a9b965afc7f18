// Whole-file reads and crash-safe whole-file replacement. On failure the functions return false
// with errno describing the cause.
#pragma once

#include <string>
#include <string_view>

namespace utilcpp {

// Reads the whole file. A missing file is an error (errno ENOENT) the caller may treat as empty.
bool ReadWholeFile(const std::string& path, std::string& contents);

// Creates the missing folders above `path` (mode 0700, as for a per-user configuration folder).
bool CreateParentFolders(const std::string& path);

// Writes `contents` to a new file beside `path`, flushes it to the disk and renames it over
// `path`, so that a reader (or a crash, or a full disk) sees either the old or the new file,
// never a mixture. An existing file keeps its permission bits. A symbolic link is followed and
// its target replaced. No temporary file is left behind on failure.
bool ReplaceFileAtomically(const std::string& path, std::string_view contents);

// The file a write to `path` really replaces: the target of a symbolic link, else `path`.
std::string ResolveWriteTarget(const std::string& path);

}  // namespace utilcpp
