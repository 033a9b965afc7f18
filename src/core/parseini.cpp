#include "core/parseini.h"

#include <cerrno>
#include <climits>
#include <cstdint>

#include "core/atomic_file.h"
#include "core/file_lock.h"
#include "core/ini_cache.h"
#include "core/ini_document.h"
#include "core/settings_path.h"
#include "util/trace.h"

namespace utilcpp {

namespace {

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

CParseini::CParseini(std::string fileName)
    : fileName_(std::move(fileName)), cache_(std::make_shared<IniCache>()) {
    if (fileName_.empty()) fileName_ = ResolveSettingsPath({}, ExecutablePath());
}

std::shared_ptr<const IniDocument> CParseini::Current() const {
    return cache_->Current(fileName_);
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
    const auto value = Current()->Find(section, key);
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
    auto value = Current()->Find(section, key);
    if (value)
        out = std::move(*value);
    else
        out = def;
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
    if (!Current()->Find(section, key)) return true;
    return Modify([&](IniDocument& document) { return document.Erase(section, key); });
}

bool CParseini::GetSection(const std::string& section, std::vector<std::string>& out) const {
    out = Current()->SectionLines(section);
    return !out.empty();
}

}  // namespace utilcpp
