// The program's HTML help: one folder of pages per language, English complete, the others where
// translated. Looked for beside the build tree's binaries (build/help), below the install prefix
// the executable sits in (prefix/share/wendaro/help) and in the configured install folder.
#pragma once

#include <filesystem>
#include <string_view>

#include "ui/text/ui_strings.h"

namespace ui {

inline constexpr const char* kHelpStartPage = "index.html";

// The page in `language`, else in English; empty when the help is not installed.
std::filesystem::path HelpPage(std::string_view page, Language language);

}  // namespace ui
