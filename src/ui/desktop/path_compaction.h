// Long folder paths shown in a narrow place (the "Download to" menu item).
#pragma once

#include <cstddef>
#include <string>

namespace ui {

// The path in at most `maxChars` characters (UTF-8 aware): unchanged when it fits, else its
// beginning and its last component (the one before a trailing "/") joined by ".../"; a last
// component that alone is too long keeps its end behind "...".
std::string CompactPath(const std::string& path, std::size_t maxChars);

}  // namespace ui
