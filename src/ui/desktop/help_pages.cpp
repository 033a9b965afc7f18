#include "ui/desktop/help_pages.h"

#include <vector>

namespace ui {

namespace {

std::vector<std::filesystem::path> HelpFolders() {
    std::vector<std::filesystem::path> folders;
    std::error_code error;
    const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error) {
        const std::filesystem::path above = executable.parent_path().parent_path();
        folders.push_back(above / "help");
        folders.push_back(above / "share" / "wendaro" / "help");
    }
#ifdef WENDARO_HELPDIR
    folders.emplace_back(WENDARO_HELPDIR);
#endif
    return folders;
}

}  // namespace

std::filesystem::path HelpPage(std::string_view page, Language language) {
    const std::vector<std::filesystem::path> folders = HelpFolders();
    for (const Language wanted : {language, Language::English}) {
        for (const std::filesystem::path& folder : folders) {
            std::filesystem::path file = folder / LanguageCode(wanted) / page;
            std::error_code error;
            if (std::filesystem::is_regular_file(file, error)) return file;
        }
    }
    return {};
}

}  // namespace ui
