#include "cli/remote_path.h"

namespace cli {

std::string NormalizeRemotePath(std::string_view typed) {
    std::string path = "\\";
    for (char c : typed) {
        const char mapped = c == '/' ? '\\' : c;
        // Runs of separators collapse, so "//Music//Live/" and "\Music\Live" are the same place.
        if (mapped == '\\' && path.back() == '\\') continue;
        path.push_back(mapped);
    }
    if (path.size() > 1 && path.back() == '\\') path.pop_back();
    return path;
}

std::string RemoteParent(std::string_view path) {
    const auto cut = path.find_last_of('\\');
    if (cut == std::string_view::npos || cut == 0) return "\\";
    return std::string(path.substr(0, cut));
}

std::string RemoteLeaf(std::string_view path) {
    const auto cut = path.find_last_of('\\');
    if (cut == std::string_view::npos) return std::string(path);
    return std::string(path.substr(cut + 1));
}

std::string RemoteJoin(std::string_view folder, std::string_view name) {
    std::string joined(folder);
    if (joined.empty() || joined.back() != '\\') joined.push_back('\\');
    joined.append(name);
    return joined;
}

}  // namespace cli
