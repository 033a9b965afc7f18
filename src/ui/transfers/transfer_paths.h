// Host paths ("\Music\Live\a.mp3") as the transfer list names them, and the target folder's form.
// The names themselves are checked where every download checks them (client/walk_paths.h).
#pragma once

#include <string>
#include <string_view>

namespace ui {

inline constexpr char kLocalSeparator = '/';

// "\Music\Live\\" -> "\Music\Live".
std::string StripTrailingBackslashes(std::string_view hostPath);

// The text after the last backslash (the whole text when there is none).
std::string_view LastComponent(std::string_view hostPath);

// The folder with one local separator at its end.
std::string WithTrailingSeparator(std::string folder);

}  // namespace ui
