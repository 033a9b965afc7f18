#include "core/share_check.h"

#include <sys/stat.h>

#include <vector>

#include "core/settings_keys.h"
#include "util/text.h"

namespace utilcpp {

ShareProblem CheckShare(const std::string& name, const std::string& path) {
    if (xUtilTrim(name).empty() || path.empty()) return ShareProblem::NameOrPathEmpty;
    if (name.find('\\') != std::string::npos) return ShareProblem::BackslashInName;
    if (xUtilTrim(name).size() != name.size() ||
        name.find_first_of("=;[\r\n") != std::string::npos) {
        return ShareProblem::NameNotStorable;
    }
    if (!IsExistingFolder(path)) return ShareProblem::PathNotAFolder;
    if (path.find_first_of("\r\n") != std::string::npos) return ShareProblem::PathNotStorable;
    return ShareProblem::None;
}

std::vector<std::string> ShareNames(const CParseini& settings) {
    std::vector<std::string> lines;
    settings.GetSection(settings_keys::kShares, lines);
    std::vector<std::string> names;
    names.reserve(lines.size());
    // The section's keys come trimmed and never empty, and a key holds no "=".
    for (const std::string& line : lines) names.push_back(line.substr(0, line.find('=')));
    return names;
}

std::string ShareInOtherCase(const CParseini& settings, const std::string& name,
                             const std::string& editedName) {
    for (std::string& share : ShareNames(settings)) {
        if (share != name && share != editedName && xUtilEqualsNoCase(share, name)) return share;
    }
    return {};
}

bool IsExistingFolder(const std::string& path) {
    if (path.empty()) return false;
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace utilcpp
