#include "client/walk_paths.h"

#include <string>

namespace client {

namespace {

// Longer names cannot be created on the usual Linux file systems anyway.
constexpr std::size_t kMaxNameBytes = 255;

}  // namespace

NameProblem CheckRemoteName(std::string_view name) {
    if (name.empty()) return NameProblem::Empty;
    if (name == "." || name == "..") return NameProblem::DotName;
    if (name.find('/') != std::string_view::npos) return NameProblem::Slash;
    if (name.find('\\') != std::string_view::npos) return NameProblem::Backslash;
    if (name.find('\0') != std::string_view::npos) return NameProblem::Nul;
    if (name.find_first_of("\r\n") != std::string_view::npos) return NameProblem::LineBreak;
    if (name.size() > kMaxNameBytes) return NameProblem::TooLong;
    return NameProblem::None;
}

std::optional<std::filesystem::path> MapWalkPath(std::string_view rootPath,
                                                 std::string_view remoteFile,
                                                 const std::filesystem::path& localDir,
                                                 NameProblem* problem) {
    if (problem != nullptr) *problem = NameProblem::None;
    const std::string root = std::string(rootPath) + "\\";
    if (remoteFile.substr(0, root.size()) != root) return std::nullopt;
    // Everything after the root's parent folder, the root's own name first.
    const auto parentEnd = rootPath.rfind('\\');
    std::string_view rest =
        remoteFile.substr(parentEnd == std::string_view::npos ? 0 : parentEnd + 1);
    std::filesystem::path mapped = localDir;
    while (true) {
        const auto cut = rest.find('\\');
        const std::string_view name = rest.substr(0, cut);
        if (const NameProblem found = CheckRemoteName(name); found != NameProblem::None) {
            if (problem != nullptr) *problem = found;
            return std::nullopt;
        }
        mapped /= std::string(name);
        if (cut == std::string_view::npos) break;
        rest.remove_prefix(cut + 1);
    }
    return mapped;
}

}  // namespace client
