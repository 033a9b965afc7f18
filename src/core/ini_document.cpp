#include "core/ini_document.h"

#include <unordered_set>

#include "util/text.h"

namespace utilcpp {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// The name of a section header line ("[name]", blanks around the name ignored), or nothing.
// Like the platform, a line that opens a bracket and never closes it is no header.
std::optional<std::string_view> SectionHeaderName(std::string_view line) {
    line = xUtilTrim(line);
    if (line.empty() || line.front() != '[') return std::nullopt;
    const std::size_t close = line.rfind(']');
    if (close == std::string_view::npos) return std::nullopt;
    return xUtilTrim(line.substr(1, close - 1));
}

struct KeyLine {
    std::string_view key;
    std::string_view value;
};

// A "key=value" line with the blanks around key and value removed. Comments (";"), lines
// without "=" and lines with nothing before the "=" are no key lines: no key could be written
// that reaches them, and a share without a name would be served but listed nowhere.
std::optional<KeyLine> ParseKeyLine(std::string_view line) {
    line = xUtilTrim(line);
    if (line.empty() || line.front() == ';' || line.front() == '[') return std::nullopt;
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) return std::nullopt;
    const std::string_view key = xUtilTrim(line.substr(0, equals));
    if (key.empty()) return std::nullopt;
    return KeyLine{key, xUtilTrim(line.substr(equals + 1))};
}

// The platform drops one pair of matching quotes around a value it returns.
std::string_view StripValueQuotes(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

// The form in which names that compare without regard to case are equal.
std::string AsciiLower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return lower;
}

bool HasLineEnd(std::string_view text) {
    return text.find_first_of("\r\n") != std::string_view::npos;
}

std::string JoinKeyValue(std::string_view key, std::string_view value) {
    std::string line(key);
    line += '=';
    line += value;
    return line;
}

// Reading trims the blanks around a value and drops one pair of enclosing quotes; a value that
// either would change is written inside quotes of its own, so that it reads back as it was.
std::string StoredValue(std::string_view value) {
    if (xUtilTrim(value).size() == value.size() && StripValueQuotes(value).size() == value.size()) {
        return std::string(value);
    }
    std::string quoted(1, '"');
    quoted += value;
    quoted += '"';
    return quoted;
}

}  // namespace

IniDocument IniDocument::Parse(std::string_view text) {
    IniDocument document;
    if (text.starts_with(kByteOrderMark)) {
        document.byteOrderMark_ = true;
        text.remove_prefix(kByteOrderMark.size());
    }
    bool first = true;
    while (!text.empty()) {
        const std::size_t newline = text.find('\n');
        std::string_view line = text.substr(0, newline);
        text.remove_prefix(newline == std::string_view::npos ? text.size() : newline + 1);
        const bool carriageReturn = line.ends_with('\r');
        if (carriageReturn) line.remove_suffix(1);
        if (first && newline != std::string_view::npos) document.crlf_ = carriageReturn;
        first = false;
        document.lines_.push_back(Line{std::string(line)});
    }
    return document;
}

std::string IniDocument::Serialize() const {
    const std::string_view lineEnd = crlf_ ? "\r\n" : "\n";
    std::string text;
    if (byteOrderMark_) text += kByteOrderMark;
    for (const Line& line : lines_) {
        text += line.text;
        text += lineEnd;
    }
    return text;
}

std::optional<IniDocument::Range> IniDocument::FindSection(std::string_view section) const {
    section = xUtilTrim(section);
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const auto name = SectionHeaderName(lines_[i].text);
        if (!name || !xUtilEqualsNoCase(*name, section)) continue;
        std::size_t end = i + 1;
        while (end < lines_.size() && !SectionHeaderName(lines_[end].text)) ++end;
        return Range{i, i + 1, end};
    }
    return std::nullopt;
}

std::optional<std::size_t> IniDocument::FindKey(const Range& range, std::string_view key) const {
    key = xUtilTrim(key);
    for (std::size_t i = range.first; i < range.last; ++i) {
        const auto entry = ParseKeyLine(lines_[i].text);
        if (entry && xUtilEqualsNoCase(entry->key, key)) return i;
    }
    return std::nullopt;
}

std::optional<std::string> IniDocument::Find(std::string_view section, std::string_view key) const {
    const auto range = FindSection(section);
    if (!range) return std::nullopt;
    const auto index = FindKey(*range, key);
    if (!index) return std::nullopt;
    return std::string(StripValueQuotes(ParseKeyLine(lines_[*index].text)->value));
}

std::vector<std::string> IniDocument::SectionLines(std::string_view section) const {
    std::vector<std::string> result;
    const auto range = FindSection(section);
    if (!range) return result;
    std::unordered_set<std::string> seen;
    for (std::size_t i = range->first; i < range->last; ++i) {
        const auto entry = ParseKeyLine(lines_[i].text);
        if (!entry) continue;
        // Lookups only ever reach the first of keys that differ in case alone, so a later one
        // would list a share that serves another's folder.
        if (!seen.insert(AsciiLower(entry->key)).second) continue;
        result.push_back(JoinKeyValue(entry->key, entry->value));
    }
    return result;
}

void IniDocument::Set(std::string_view section, std::string_view key, std::string_view value) {
    key = xUtilTrim(key);
    const auto range = FindSection(section);
    if (!range) {
        if (!lines_.empty() && !xUtilTrim(lines_.back().text).empty()) lines_.push_back(Line{});
        // Appended piece by piece: GCC 12 misreads "[" + string as an overlapping copy at -O2.
        std::string header(1, '[');
        header += xUtilTrim(section);
        header += ']';
        lines_.push_back(Line{std::move(header)});
        lines_.push_back(Line{JoinKeyValue(key, StoredValue(value))});
        return;
    }
    if (const auto index = FindKey(*range, key)) {
        const std::string storedKey(ParseKeyLine(lines_[*index].text)->key);
        lines_[*index].text = JoinKeyValue(storedKey, StoredValue(value));
        return;
    }
    // After the section's last key, so that comments and blank lines that lead into the next
    // section stay with it.
    std::size_t insertAt = range->first;
    for (std::size_t i = range->first; i < range->last; ++i) {
        if (ParseKeyLine(lines_[i].text)) insertAt = i + 1;
    }
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insertAt),
                  Line{JoinKeyValue(key, StoredValue(value))});
}

bool IniDocument::Erase(std::string_view section, std::string_view key) {
    const auto range = FindSection(section);
    if (!range) return false;
    const auto index = FindKey(*range, key);
    if (!index) return false;
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(*index));
    return true;
}

bool IniDocument::IsStorableSection(std::string_view section) {
    return !HasLineEnd(section) && section.find(']') == std::string_view::npos;
}

bool IniDocument::IsStorableKey(std::string_view key) {
    const std::string_view trimmed = xUtilTrim(key);
    return !trimmed.empty() && !HasLineEnd(key) && key.find('=') == std::string_view::npos &&
           trimmed.front() != '[' && trimmed.front() != ';';
}

bool IniDocument::IsStorableValue(std::string_view value) {
    return !HasLineEnd(value);
}

}  // namespace utilcpp
