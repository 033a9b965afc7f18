#include "cli/share_commands.h"

#include <filesystem>
#include <system_error>

#include "core/settings_keys.h"
#include "core/share_check.h"
#include "ui/desktop/share_checks.h"
#include "ui/text/ui_strings.h"
#include "util/text.h"

namespace cli {

namespace {

std::string AbsoluteFolder(const std::string& path) {
    std::error_code error;
    std::filesystem::path absolute = std::filesystem::absolute(path, error);
    if (error) return path;
    absolute = absolute.lexically_normal();
    std::string text = absolute.string();
    // "/srv/music/" normalises with a trailing separator; the share path has none but the root.
    while (text.size() > 1 && text.back() == '/') text.pop_back();
    return text;
}

}  // namespace

std::string CheckShare(const std::string& name, const std::string& path) {
    switch (utilcpp::CheckShare(name, path)) {
        case utilcpp::ShareProblem::NameOrPathEmpty:
            return ui::Text(ui::StringId::ShareNameAndPathMissing);
        case utilcpp::ShareProblem::BackslashInName:
            return ui::Text(ui::StringId::ShareNameBackslash);
        case utilcpp::ShareProblem::NameNotStorable:
            return ui::Text(ui::StringId::ShareNameNotStorable);
        case utilcpp::ShareProblem::PathNotAFolder:
            return ui::Text(ui::StringId::SharePathInvalid);
        case utilcpp::ShareProblem::PathNotStorable:
            return ui::Text(ui::StringId::SharePathNotStorable);
        case utilcpp::ShareProblem::None:
            break;
    }
    return {};
}

bool AddShare(utilcpp::CParseini& settings, const std::string& name, const std::string& path,
              std::string& error) {
    error = CheckShare(name, path);
    if (!error.empty()) return false;
    error = ui::ShareNameCaseMessage(settings, name);
    if (!error.empty()) return false;
    if (!settings.SetString(settings_keys::kShares, name, AbsoluteFolder(path))) {
        error = ui::FormatText(ui::Translate("Cannot write the share to %s."),
                               {settings.GetFileName()});
        return false;
    }
    return true;
}

bool RemoveShare(utilcpp::CParseini& settings, const std::string& name, std::string& error) {
    std::string value;
    settings.GetString(settings_keys::kShares, name, value, settings_keys::kMissingValue);
    if (value == settings_keys::kMissingValue) {
        error = ui::FormatText(ui::Translate("There is no share named \"%s\"."), {name});
        return false;
    }
    if (!settings.DeleteKey(settings_keys::kShares, name)) {
        error = ui::FormatText(ui::Translate("Cannot remove the share from %s."),
                               {settings.GetFileName()});
        return false;
    }
    return true;
}

std::vector<std::pair<std::string, std::string>> ListShares(const utilcpp::CParseini& settings) {
    std::vector<std::pair<std::string, std::string>> shares;
    for (const std::string& name : utilcpp::ShareNames(settings)) {
        std::string path;
        settings.GetString(settings_keys::kShares, name, path, "");
        shares.emplace_back(name, path);
    }
    return shares;
}

}  // namespace cli
