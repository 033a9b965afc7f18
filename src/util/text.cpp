#include "util/text.h"

#include <algorithm>

namespace {

char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

}  // namespace

bool xUtilEqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
    }
    return true;
}

std::string_view xUtilTrim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

std::string xUtilUnquote(std::string_view token) {
    const auto quotes = std::count(token.begin(), token.end(), '"');
    if (quotes >= 2 && token.front() == '"' && token.back() == '"') {
        return std::string(token.substr(1, token.size() - 2));
    }
    if (quotes == 1 && token.front() == '"') return std::string(token.substr(1));
    return std::string(token);
}
