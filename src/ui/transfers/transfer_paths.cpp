#include "ui/transfers/transfer_paths.h"

namespace ui {

std::string StripTrailingBackslashes(std::string_view hostPath) {
    while (!hostPath.empty() && hostPath.back() == '\\') hostPath.remove_suffix(1);
    return std::string(hostPath);
}

std::string_view LastComponent(std::string_view hostPath) {
    const auto cut = hostPath.rfind('\\');
    return cut == std::string_view::npos ? hostPath : hostPath.substr(cut + 1);
}

bool IsSafeLocalName(std::string_view name) {
    if (name.empty() || name == "." || name == "..") return false;
    return name.find_first_of(std::string_view("/\\\0", 3)) == std::string_view::npos;
}

std::string WithTrailingSeparator(std::string folder) {
    if (folder.empty() || folder.back() != kLocalSeparator) folder += kLocalSeparator;
    return folder;
}

std::optional<std::string> LocalPathFor(const std::string& targetFolder,
                                        std::string_view relativeHostPath) {
    std::string local = targetFolder;
    bool first = true;
    while (true) {
        const auto cut = relativeHostPath.find('\\');
        const std::string_view component = relativeHostPath.substr(0, cut);
        if (!IsSafeLocalName(component)) return std::nullopt;
        if (!first) local += kLocalSeparator;
        local += component;
        first = false;
        if (cut == std::string_view::npos) break;
        relativeHostPath.remove_prefix(cut + 1);
    }
    return local;
}

}  // namespace ui
