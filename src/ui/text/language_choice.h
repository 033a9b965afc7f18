// Translation for a reader who is not the program's user: a browser of the web view, which names
// the languages it wants (most wanted first) rather than following this program's language.
#pragma once

#include <string>
#include <vector>

namespace ui {

// `english` in the first of `codes` ("de", "fr", ...) that is one of the program's languages;
// `english` itself when none is.
const char* TranslateForCodes(const char* english, const std::vector<std::string>& codes);

}  // namespace ui
