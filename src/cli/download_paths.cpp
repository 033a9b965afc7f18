#include "cli/download_paths.h"

#include <system_error>

#include "cli/remote_path.h"

namespace cli {

namespace {

// Longer names cannot be created on the usual Linux file systems anyway.
constexpr std::size_t kMaxNameBytes = 255;

}  // namespace

NameProblem CheckRemoteName(std::string_view name) {
    if (name.empty()) return NameProblem::Empty;
    if (name == "." || name == "..") return NameProblem::DotName;
    if (name.find('/') != std::string_view::npos) return NameProblem::Slash;
    if (name.find('\0') != std::string_view::npos) return NameProblem::Nul;
    if (name.size() > kMaxNameBytes) return NameProblem::TooLong;
    return NameProblem::None;
}

std::string DescribeNameProblem(NameProblem problem) {
    switch (problem) {
        case NameProblem::None:
            return "name accepted";
        case NameProblem::Empty:
            return "empty name";
        case NameProblem::DotName:
            return "name \".\" or \"..\"";
        case NameProblem::Slash:
            return "name contains \"/\"";
        case NameProblem::Nul:
            return "name contains a NUL byte";
        case NameProblem::TooLong:
            return "name longer than 255 bytes";
    }
    return "bad name";
}

bool MapWalkPath(std::string_view rootPath, std::string_view remoteFile,
                 const std::filesystem::path& localDir, std::filesystem::path& out,
                 std::string& why) {
    const std::string rootParent = RemoteParent(rootPath);
    const std::string prefix = rootParent == "\\" ? rootParent : rootParent + "\\";
    const std::string root = std::string(rootPath) + "\\";
    if (remoteFile.substr(0, root.size()) != root) {
        why = "not below the downloaded folder";
        return false;
    }
    std::filesystem::path mapped = localDir;
    std::string_view rest = remoteFile.substr(prefix.size());
    while (true) {
        const auto cut = rest.find('\\');
        const std::string_view name = rest.substr(0, cut);
        if (const NameProblem problem = CheckRemoteName(name); problem != NameProblem::None) {
            why = DescribeNameProblem(problem);
            return false;
        }
        mapped /= std::string(name);
        if (cut == std::string_view::npos) break;
        rest.remove_prefix(cut + 1);
    }
    out = std::move(mapped);
    return true;
}

bool StaysInside(const std::filesystem::path& destDir, const std::filesystem::path& target) {
    std::error_code error;
    const auto realDest = std::filesystem::weakly_canonical(destDir, error);
    if (error) return false;
    const auto realFolder = std::filesystem::weakly_canonical(target.parent_path(), error);
    if (error) return false;
    const auto relative = realFolder.lexically_relative(realDest);
    if (relative.empty()) return false;
    const auto first = *relative.begin();
    return first != "..";
}

}  // namespace cli
