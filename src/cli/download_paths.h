// Where downloaded files may land. Every name here comes from another host and is hostile until
// checked: a name must not lead a write outside the folder the user chose.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace cli {

enum class NameProblem { None, Empty, DotName, Slash, Nul, TooLong };

// Whether one name of a remote listing may become one component of a local path.
NameProblem CheckRemoteName(std::string_view name);
std::string DescribeNameProblem(NameProblem problem);

// The local path of a file found by a folder walk. The walk of root "\Music\Live" writes
// "\Music\Live\x\b.mp3" to localDir/Live/x/b.mp3: everything after the root's parent is kept.
// Fails, with the reason in `why`, when the file is not below the root or any of its names is
// unsafe.
bool MapWalkPath(std::string_view rootPath, std::string_view remoteFile,
                 const std::filesystem::path& localDir, std::filesystem::path& out,
                 std::string& why);

// True when target's folder, with the symbolic links already on disk resolved, lies inside
// destDir. Catches a link planted below destDir that points elsewhere.
bool StaysInside(const std::filesystem::path& destDir, const std::filesystem::path& target);

}  // namespace cli
