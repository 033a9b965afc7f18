// Host paths as the user types them on the command line, and the small splits the commands need.
#pragma once

#include <string>
#include <string_view>

namespace cli {

// A shell makes backslashes awkward to type, so "/" is accepted as a separator as well; names on
// the other host never contain "/" (no file system of a sharing host allows it). The result
// begins with "\" and carries no trailing backslash except for the root "\".
std::string NormalizeRemotePath(std::string_view typed);

// "\Music\Live" -> "\Music"; "\Music" -> "\"; "\" -> "\".
std::string RemoteParent(std::string_view path);

// "\Music\Live" -> "Live"; "\" -> "".
std::string RemoteLeaf(std::string_view path);

// "\" + "Music" -> "\Music"; "\Music" + "a.mp3" -> "\Music\a.mp3".
std::string RemoteJoin(std::string_view folder, std::string_view name);

}  // namespace cli
