#include "client/download_target.h"

#include <system_error>

namespace client {

namespace fs = std::filesystem;

bool StaysInside(const fs::path& localDir, const fs::path& target) {
    std::error_code error;
    const auto realDest = fs::weakly_canonical(localDir, error);
    if (error) return false;
    const auto realFolder = fs::weakly_canonical(target.parent_path(), error);
    if (error) return false;
    const auto relative = realFolder.lexically_relative(realDest);
    if (relative.empty()) return false;
    return *relative.begin() != "..";
}

TargetCheck CheckTarget(const fs::path& localDir, const fs::path& target, bool overwrite,
                        const OverwriteQuestion& mayOverwrite, std::set<fs::path>* insideFolders) {
    if (insideFolders == nullptr || !insideFolders->contains(target.parent_path())) {
        if (!StaysInside(localDir, target)) return TargetCheck::Outside;
        if (insideFolders != nullptr) insideFolders->insert(target.parent_path());
    }
    std::error_code error;
    const fs::file_status status = fs::symlink_status(target, error);
    if (!fs::exists(status)) return TargetCheck::Write;
    if (fs::is_directory(status)) return TargetCheck::FolderInTheWay;
    if (overwrite || (mayOverwrite && mayOverwrite(target))) return TargetCheck::Write;
    return TargetCheck::Kept;
}

}  // namespace client
