#include "server/share_paths.h"

#include <sys/stat.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <memory>

#include "core/settings_keys.h"
#include "util/text.h"

namespace server {
namespace {

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

PathKind KindOf(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return PathKind::Missing;
    if (S_ISDIR(info.st_mode)) return PathKind::Folder;
    if (S_ISREG(info.st_mode)) return PathKind::File;
    return PathKind::Other;
}

bool Exists(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

}  // namespace

bool SplitSharePath(std::string_view path, std::string& shareName, std::string& rest) {
    if (path.empty() || path.front() != '\\') return false;
    path.remove_prefix(1);
    const auto slash = path.find('\\');
    shareName.assign(path.substr(0, slash));
    rest.assign(slash == std::string_view::npos ? std::string_view{} : path.substr(slash));
    return true;
}

bool IsSafeShareRest(std::string_view rest) {
    if (rest.find('\0') != std::string_view::npos) return false;
    std::size_t start = 0;
    while (start <= rest.size()) {
        std::size_t end = start;
        while (end < rest.size() && !IsSeparator(rest[end])) ++end;
        if (rest.substr(start, end - start) == "..") return false;
        start = end + 1;
    }
    return true;
}

bool LookupShareFolder(const utilcpp::CParseini& settings, const std::string& shareName,
                       std::string& folder) {
    // A share without a name is listed nowhere, so nothing may be served from it either.
    if (shareName.find('\0') != std::string::npos || xUtilTrim(shareName).empty()) return false;
    std::string value;
    settings.GetString(settings_keys::kShares, shareName, value, settings_keys::kMissingValue);
    if (value == settings_keys::kMissingValue) return false;
    if (!value.empty() && IsSeparator(value.back())) value.pop_back();
    folder = std::move(value);
    return true;
}

bool IsWithin(std::string_view path, std::string_view root) {
    if (path.substr(0, root.size()) != root) return false;
    if (path.size() == root.size()) return true;
    // The root "/" already ends in its separator.
    return root.ends_with('/') || path[root.size()] == '/';
}

bool RealLocation(const std::string& path, std::string& out) {
    std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr), &std::free);
    if (!real) return false;
    out.assign(real.get());
    return true;
}

bool MapIntoShare(const std::string& folder, std::string_view rest, LocalPath& out) {
    if (!IsSafeShareRest(rest) || folder.find('\0') != std::string::npos) return false;
    std::string root;
    // An empty folder would otherwise resolve against the working directory.
    if (folder.empty() || !RealLocation(folder, root) || KindOf(root) != PathKind::Folder) {
        return false;
    }

    std::string relative(rest);
    for (char& c : relative) {
        if (c == '\\') c = '/';
    }
    while (!relative.empty() && relative.back() == '/') relative.pop_back();
    const std::string candidate = root + relative;

    std::string real;
    if (RealLocation(candidate, real)) {
        if (!IsWithin(real, root)) return false;
        out.path = std::move(real);
        out.kind = KindOf(out.path);
        out.shareRoot = std::move(root);
        return true;
    }
    // A dangling link could be pointed anywhere before it is opened.
    if (Exists(candidate)) return false;

    const auto lastSlash = candidate.rfind('/');
    std::string parent;
    if (lastSlash == std::string::npos || !RealLocation(candidate.substr(0, lastSlash), parent) ||
        !IsWithin(parent, root) || KindOf(parent) != PathKind::Folder) {
        return false;
    }
    out.path = parent + (parent.ends_with('/') ? "" : "/") + candidate.substr(lastSlash + 1);
    out.kind = PathKind::Missing;
    out.shareRoot = std::move(root);
    return true;
}

}  // namespace server
