// Where the files of a folder download land. Every name here comes from another host and is
// hostile until checked: a name must not lead a write outside the folder the user chose.
#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

namespace client {

enum class NameProblem { None, Empty, DotName, Slash, Backslash, Nul, LineBreak, TooLong };

// Whether one name of a remote listing may become one component of a local path. A backslash
// would make one listed name stand for a path of several; a line break would forge lines in every
// list of names a script or log reads.
NameProblem CheckRemoteName(std::string_view name);

// The local path of a file found by a folder walk. The walk of root "\Music\Live" writes
// "\Music\Live\x\b.mp3" to localDir/Live/x/b.mp3: everything after the root's parent is kept.
// None when the file is not below the root (`problem` None then) or one of its names is unsafe
// (`problem` says how).
std::optional<std::filesystem::path> MapWalkPath(std::string_view rootPath,
                                                 std::string_view remoteFile,
                                                 const std::filesystem::path& localDir,
                                                 NameProblem* problem = nullptr);

}  // namespace client
