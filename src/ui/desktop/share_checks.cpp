#include "ui/desktop/share_checks.h"

#include <sys/stat.h>

namespace ui {

ShareProblem CheckShare(const std::string& name, const std::string& path) {
    if (name.empty() || path.empty()) return ShareProblem::NameOrPathEmpty;
    if (name.find('\\') != std::string::npos) return ShareProblem::BackslashInName;
    if (!IsExistingFolder(path)) return ShareProblem::PathNotAFolder;
    return ShareProblem::None;
}

std::optional<StringId> ShareProblemMessage(ShareProblem problem) {
    switch (problem) {
        case ShareProblem::NameOrPathEmpty:
            return StringId::ShareNameAndPathMissing;
        case ShareProblem::BackslashInName:
            return StringId::ShareNameBackslash;
        case ShareProblem::PathNotAFolder:
            return StringId::SharePathInvalid;
        case ShareProblem::None:
            break;
    }
    return std::nullopt;
}

bool IsExistingFolder(const std::string& path) {
    if (path.empty()) return false;
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string ProposeShareNameForDrop(const std::string& folder) {
    // Every absolute local path begins with a separator, so only the last one matters here.
    const std::size_t last = folder.find_last_of("/\\");
    std::string name = last == std::string::npos ? folder : folder.substr(last + 1);
    if (name.empty()) name = folder;
    return name;
}

bool WriteNewShare(utilcpp::CParseini& settings, const std::string& name, const std::string& path) {
    return settings.SetString(kSharesSection, name, path);
}

bool WriteEditedShare(utilcpp::CParseini& settings, const std::string& originalName,
                      const std::string& name, const std::string& path) {
    // A failed delete of a key that was never there is no reason to skip the write.
    settings.DeleteKey(kSharesSection, originalName);
    return settings.SetString(kSharesSection, name, path);
}

}  // namespace ui
