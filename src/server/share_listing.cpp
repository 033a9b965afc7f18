#include "server/share_listing.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <memory>
#include <string_view>

#include "core/share_check.h"
#include "server/share_paths.h"

namespace server {
namespace {

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

// Fills `entry` for the member `name` of the folder open as `folderFd` at `path`; false when it
// must not be listed. Looked at relative to the folder and, unless it is a symbolic link, only
// once: a folder of thousands of small files costs one call a file.
bool DescribeEntry(int folderFd, const std::string& name, const std::string& path,
                   const std::string& shareRoot, DirEntry& entry) {
    struct stat info {};
    if (::fstatat(folderFd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) return false;
    if (S_ISLNK(info.st_mode)) {
        std::string target;
        if (!RealLocation(path, target) || !IsWithin(target, shareRoot)) return false;
        if (::fstatat(folderFd, name.c_str(), &info, 0) != 0) return false;
    }
    // Pipes, sockets and devices cannot be retrieved; listing them would offer what never comes.
    if (!S_ISDIR(info.st_mode) && !S_ISREG(info.st_mode)) return false;
    entry.folder = S_ISDIR(info.st_mode);
    entry.size = entry.folder ? 0 : static_cast<std::int64_t>(info.st_size);
    return true;
}

}  // namespace

std::vector<DirEntry> ListShares(const utilcpp::CParseini& settings) {
    std::vector<DirEntry> shares;
    for (std::string& name : utilcpp::ShareNames(settings)) {
        shares.push_back(DirEntry{std::move(name), 0, true});
    }
    return shares;
}

std::vector<DirEntry> ListFolder(const std::string& folder, const std::string& shareRoot,
                                 const StopFlag* stop) {
    std::vector<DirEntry> entries;
    std::unique_ptr<DIR, DirCloser> dir(::opendir(folder.c_str()));
    if (!dir) return entries;
    const std::string prefix = folder.ends_with('/') ? folder : folder + "/";
    while (const dirent* member = ::readdir(dir.get())) {
        if (IsStopped(stop)) break;
        const std::string_view name = member->d_name;
        if (name == "." || name == ".." || name.find('\\') != std::string_view::npos) continue;
        DirEntry entry;
        entry.name.assign(name);
        if (DescribeEntry(::dirfd(dir.get()), entry.name, prefix + entry.name, shareRoot, entry))
            entries.push_back(std::move(entry));
    }
    return entries;
}

}  // namespace server
