#include "ui/desktop/share_checks.h"

#include "core/settings_keys.h"

namespace ui {

std::optional<StringId> ShareProblemMessage(ShareProblem problem) {
    switch (problem) {
        case ShareProblem::NameOrPathEmpty:
            return StringId::ShareNameAndPathMissing;
        case ShareProblem::BackslashInName:
            return StringId::ShareNameBackslash;
        case ShareProblem::NameNotStorable:
            return StringId::ShareNameNotStorable;
        case ShareProblem::PathNotAFolder:
            return StringId::SharePathInvalid;
        case ShareProblem::PathNotStorable:
            return StringId::SharePathNotStorable;
        case ShareProblem::None:
            break;
    }
    return std::nullopt;
}

std::string ShareNameCaseMessage(const utilcpp::CParseini& settings, const std::string& name,
                                 const std::string& editedName) {
    const std::string existing = utilcpp::ShareInOtherCase(settings, name, editedName);
    if (existing.empty()) return {};
    return FormatText(Translate("There is already a share named \"%s\"; share names do not "
                                "differ in case alone."),
                      {existing});
}

std::string ProposeShareNameForDrop(const std::string& folder) {
    // Every absolute local path begins with a separator, so only the last one matters here.
    const std::size_t last = folder.find_last_of("/\\");
    std::string name = last == std::string::npos ? folder : folder.substr(last + 1);
    if (name.empty()) name = folder;
    return name;
}

bool WriteNewShare(utilcpp::CParseini& settings, const std::string& name, const std::string& path) {
    return settings.SetString(settings_keys::kShares, name, path);
}

bool WriteEditedShare(utilcpp::CParseini& settings, const std::string& originalName,
                      const std::string& name, const std::string& path) {
    // A failed delete of a key that was never there is no reason to skip the write.
    settings.DeleteKey(settings_keys::kShares, originalName);
    return settings.SetString(settings_keys::kShares, name, path);
}

}  // namespace ui
