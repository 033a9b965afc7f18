#include <cstdint>
#include <limits>

#include "protocol/request_protocol.h"

namespace proto {
namespace {

bool IsDotName(std::string_view name) {
    return name == "." || name == "..";
}

bool IsAsciiSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Leading white space, an optional sign, then digits up to the first non-digit; 0 without digits.
// Out-of-range values saturate instead of wrapping, so a hostile size cannot turn negative.
std::int64_t ParseSignedDecimal(std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size() && IsAsciiSpace(text[pos])) ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    // Accumulate as a negative number: its range holds the magnitude of the minimum.
    constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
    std::int64_t value = 0;
    bool saturated = false;
    for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos) {
        if (saturated) continue;
        const int digit = text[pos] - '0';
        if (value < (kMin + digit) / 10) {
            saturated = true;
            value = kMin;
            continue;
        }
        value = value * 10 - digit;
    }
    if (negative) return value;
    if (value == kMin) return std::numeric_limits<std::int64_t>::max();
    return -value;
}

// Takes the text up to the next backslash and drops it together with that backslash; with no
// backslash left, takes everything.
std::string_view TakeField(std::string_view& rest) {
    const auto slash = rest.find('\\');
    if (slash == std::string_view::npos) {
        const auto field = rest;
        rest = {};
        return field;
    }
    const auto field = rest.substr(0, slash);
    rest.remove_prefix(slash + 1);
    return field;
}

void AppendDecimal(std::string& out, std::int64_t value) {
    out += std::to_string(value);
}

}  // namespace

std::string EncodeListing(const std::vector<DirEntry>& entries) {
    std::string payload;
    for (const auto& entry : entries) {
        if (IsDotName(entry.name) || entry.name.find('\\') != std::string::npos) continue;
        if (!payload.empty()) payload.push_back('\\');
        payload += entry.name;
        payload += entry.folder ? "\\1\\" : "\\0\\";
        AppendDecimal(payload, entry.folder || entry.size < 0 ? 0 : entry.size);
    }
    return payload;
}

std::vector<DirEntry> ParseListing(std::string_view payload, std::size_t maxEntries,
                                   std::size_t* leftOut) {
    std::vector<DirEntry> entries;
    std::size_t skipped = 0;
    std::string_view rest = payload;
    while (!rest.empty()) {
        const auto name = TakeField(rest);
        const auto flag = TakeField(rest);
        const auto size = TakeField(rest);
        if (IsDotName(name)) continue;
        // Beyond the limit the entries are only counted, which costs no memory.
        if (entries.size() >= maxEntries) {
            ++skipped;
            continue;
        }
        entries.push_back(DirEntry{std::string(name), ParseSignedDecimal(size), flag == "1"});
    }
    if (leftOut != nullptr) *leftOut = skipped;
    return entries;
}

}  // namespace proto
