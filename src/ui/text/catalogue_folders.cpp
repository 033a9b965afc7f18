#include "ui/text/catalogue_folders.h"

namespace ui {

std::vector<std::filesystem::path> CatalogueFolders() {
    std::vector<std::filesystem::path> folders;
    std::error_code error;
    const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error) {
        const std::filesystem::path above = executable.parent_path().parent_path();
        folders.push_back(above / "locale");
        folders.push_back(above / "share" / "locale");
    }
#ifdef WENDARO_LOCALEDIR
    folders.emplace_back(WENDARO_LOCALEDIR);
#endif
    return folders;
}

std::filesystem::path CatalogueFile(const std::filesystem::path& folder, std::string_view code) {
    return folder / code / "LC_MESSAGES" / "wendaro.mo";
}

}  // namespace ui
