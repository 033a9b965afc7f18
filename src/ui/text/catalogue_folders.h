// Where the compiled catalogues are looked for, first match wins: beside the build tree's binaries
// (build/locale, found from build/bin or build/tests), the install prefix the executable sits in
// (prefix/share/locale), and the locale folder the build was configured to install to.
#pragma once

#include <filesystem>
#include <string_view>
#include <vector>

namespace ui {

std::vector<std::filesystem::path> CatalogueFolders();

// The catalogue file of a language code ("de") below one of those folders.
std::filesystem::path CatalogueFile(const std::filesystem::path& folder, std::string_view code);

}  // namespace ui
