#include "protocol/folder_stream.h"

namespace proto {

namespace {

bool IsSafeName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." && name.size() <= kMaxSelectionName &&
           name.find_first_of(std::string_view("/\0\r", 3)) == std::string_view::npos;
}

bool IsSafePath(std::string_view path) {
    if (path.empty() || path.size() > kMaxSelectionPath) return false;
    while (true) {
        const auto cut = path.find('\\');
        if (!IsSafeName(path.substr(0, cut))) return false;
        if (cut == std::string_view::npos) return true;
        path.remove_prefix(cut + 1);
    }
}

}  // namespace

std::string EncodeSelection(const std::vector<std::string>& relativePaths) {
    std::string text;
    for (const std::string& path : relativePaths) {
        text += path;
        text += '\n';
    }
    return text;
}

bool ParseSelection(std::string_view text, std::vector<std::string>& out, std::size_t maxFiles) {
    out.clear();
    while (!text.empty()) {
        const auto end = text.find('\n');
        const std::string_view path = text.substr(0, end);
        if (out.size() >= maxFiles || !IsSafePath(path)) {
            out.clear();
            return false;
        }
        out.emplace_back(path);
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    return true;
}

}  // namespace proto
