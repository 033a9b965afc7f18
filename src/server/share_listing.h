// The listings a share server answers "expand" with: the share list, and a folder's entries with
// their sizes.
#pragma once

#include <string>
#include <vector>

#include "core/parseini.h"
#include "core/types.h"

namespace server {

// One entry per line of the "shares" section, in file order: the key with surrounding spaces
// trimmed, as a folder of size 0. Lines with an empty name are left out.
std::vector<DirEntry> ListShares(const utilcpp::CParseini& settings);

// The entries of the folder `folder` (a real path at or below `shareRoot`), in the order the file
// system gives them: files with their sizes, folders with size 0. Left out: "." and "..", names
// containing "\" (they cannot travel), whatever is neither a regular file nor a folder (pipes,
// sockets, devices), and symbolic links that lead outside `shareRoot` or nowhere. Stops early, with
// what it has, when `stop` is set.
std::vector<DirEntry> ListFolder(const std::string& folder, const std::string& shareRoot,
                                 const StopFlag* stop);

}  // namespace server
