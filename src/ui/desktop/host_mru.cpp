#include "ui/desktop/host_mru.h"

#include <algorithm>
#include <cctype>

#include "core/settings_keys.h"
#include "ui/desktop/layout_settings.h"

namespace ui {

namespace {

bool LessIgnoringCase(const std::string& a, const std::string& b) {
    return std::lexicographical_compare(
        a.begin(), a.end(), b.begin(), b.end(),
        [](unsigned char x, unsigned char y) { return std::tolower(x) < std::tolower(y); });
}

}  // namespace

std::string HostMruKey(int n) {
    return settings_keys::kHostMruEntryPrefix + std::to_string(n);
}

std::vector<std::string> LoadHostMru(const utilcpp::CParseini& settings) {
    std::vector<std::string> entries;
    for (int n = 1; n <= kHostMruSize; ++n) {
        std::string value;
        settings.GetString(settings_keys::kGlobal, HostMruKey(n), value, "");
        if (value.empty()) break;
        if (value.size() > kMaxHostTextLength) continue;  // only a hand-edited file has these
        entries.push_back(std::move(value));
    }
    return entries;
}

std::vector<std::string> DisplayOrder(std::vector<std::string> entries) {
    std::stable_sort(entries.begin(), entries.end(), LessIgnoringCase);
    return entries;
}

std::vector<std::string> MruAfterAccept(const std::string& newText,
                                        const std::vector<std::string>& shownEntries) {
    std::vector<std::string> entries{newText};
    for (const std::string& entry : shownEntries) {
        if (entries.size() >= static_cast<std::size_t>(kHostMruSize)) break;
        if (entry != newText && entry.size() <= kMaxHostTextLength) entries.push_back(entry);
    }
    return entries;
}

bool SaveHostMru(utilcpp::CParseini& settings, const std::vector<std::string>& entries) {
    bool allWritten = true;
    const std::size_t count = std::min(entries.size(), static_cast<std::size_t>(kHostMruSize));
    for (std::size_t i = 0; i < count; ++i) {
        allWritten &= settings.SetString(settings_keys::kGlobal,
                                         HostMruKey(static_cast<int>(i) + 1), entries[i]);
    }
    return allWritten;
}

}  // namespace ui
