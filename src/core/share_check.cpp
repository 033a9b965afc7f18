#include "core/share_check.h"

#include <sys/stat.h>

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

bool IsExistingFolder(const std::string& path) {
    if (path.empty()) return false;
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace utilcpp
