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

std::string WithTrailingSeparator(std::string folder) {
    if (folder.empty() || folder.back() != kLocalSeparator) folder += kLocalSeparator;
    return folder;
}

}  // namespace ui
