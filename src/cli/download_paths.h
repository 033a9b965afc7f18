// Why a download left a name out, in the command line's words.
#pragma once

#include <string>

#include "client/folder_walk.h"
#include "client/walk_paths.h"

namespace cli {

using client::CheckRemoteName;
using client::NameProblem;

std::string DescribeNameProblem(NameProblem problem);
// Why a folder download left out a file or folder, for the user.
std::string DescribeRefusal(const client::WalkRefusal& refusal);

}  // namespace cli
