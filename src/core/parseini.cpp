#include "core/parseini.h"

#include <cerrno>
#include <climits>
#include <cstdint>

#include "core/atomic_file.h"
#include "core/file_lock.h"
#include "core/ini_document.h"
#include "core/settings_path.h"
#include "util/trace.h"

namespace utilcpp {

namespace {

// The current contents; a file that cannot be read reads as empty.
IniDocument Load(const std::string& fileName) {
    std::string text;
    ReadWholeFile(fileName, text);
    return IniDocument::Parse(text);
}

// Like the platform: an optional sign, then the leading decimal digits, wrapping at 32 bits.
int LeadingDecimal(const std::string& text) {
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    std::uint32_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10u + static_cast<std::uint32_t>(text[i] - '0');
    }
    if (negative) value = 0u - value;
    return static_cast<int>(value);
}

}  // namespace

CParseini::CParseini(std::string fileName) : fileName_(std::move(fileName)) {
    if (fileName_.empty()) fileName_ = ResolveSettingsPath({}, ExecutablePath());
}

template <typename Edit>
bool CParseini::Modify(Edit edit) {
    const std::string target = ResolveWriteTarget(fileName_);
    if (!CreateParentFolders(target)) return false;
    FileWriteLock lock;
    if (!lock.Acquire(target)) return false;
    std::string text;
    if (!ReadWholeFile(target, text) && errno != ENOENT) return false;
    IniDocument document = IniDocument::Parse(text);
    if (!edit(document)) return true;
    return ReplaceFileAtomically(target, document.Serialize());
}

bool CParseini::GetInt(const std::string& section, const std::string& key, int& out,
                       int def) const {
    const auto value = Load(fileName_).Find(section, key);
    out = (value && !value->empty()) ? LeadingDecimal(*value) : def;
    return true;
}

bool CParseini::SetInt(const std::string& section, const std::string& key, int value) {
    if (SetString(section, key, std::to_string(value))) return true;
    xUtilTraceError(errno);
    return false;
}

bool CParseini::GetString(const std::string& section, const std::string& key, std::string& out,
                          const std::string& def) const {
    auto value = Load(fileName_).Find(section, key);
    out = value ? std::move(*value) : def;
    return true;
}

bool CParseini::SetString(const std::string& section, const std::string& key,
                          const std::string& value) {
    if (!IniDocument::IsStorableSection(section) || !IniDocument::IsStorableKey(key) ||
        !IniDocument::IsStorableValue(value)) {
        errno = EINVAL;
        return false;
    }
    return Modify([&](IniDocument& document) {
        if (document.Find(section, key) == value) return false;
        document.Set(section, key, value);
        return true;
    });
}

bool CParseini::DeleteKey(const std::string& section, const std::string& key) {
    // Nothing to delete needs no lock, no folder and no lock file; a writer that adds the key
    // at this moment simply comes after the delete.
    if (!Load(fileName_).Find(section, key)) return true;
    return Modify([&](IniDocument& document) { return document.Erase(section, key); });
}

bool CParseini::GetSection(const std::string& section, std::vector<std::string>& out) const {
    out = Load(fileName_).SectionLines(section);
    return !out.empty();
}

}  // namespace utilcpp
