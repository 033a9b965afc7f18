// Where downloaded files may land. Every name here comes from another host and is hostile until
// checked: a name must not lead a write outside the folder the user chose.
#pragma once

#include <filesystem>
#include <string>

#include "client/folder_walk.h"
#include "client/walk_paths.h"

namespace cli {

using client::CheckRemoteName;
using client::NameProblem;

std::string DescribeNameProblem(NameProblem problem);
// Why a folder download left out a file or folder, for the user.
std::string DescribeRefusal(const client::WalkRefusal& refusal);

// True when target's folder, with the symbolic links already on disk resolved, lies inside
// destDir. Catches a link planted below destDir that points elsewhere.
bool StaysInside(const std::filesystem::path& destDir, const std::filesystem::path& target);

}  // namespace cli
