#include <array>

#include "util/trace.h"

namespace {

// Compilers name the call operator of a lambda after the function that holds it, followed by one
// of these markers.
constexpr std::array<std::string_view, 3> kLambdaMarkers = {"::<lambda", "::(anonymous class)",
                                                            "::(lambda"};

// Index of the "(" that opens the parenthesised group ending at `close`, or npos.
std::size_t MatchingOpenParen(std::string_view text, std::size_t close) {
    int depth = 0;
    for (std::size_t i = close + 1; i-- > 0;) {
        if (text[i] == ')') ++depth;
        if (text[i] == '(' && --depth == 0) return i;
    }
    return std::string_view::npos;
}

std::string_view StripTrailingQualifiers(std::string_view text) {
    // GCC appends the template arguments of a template function as " [with T = ...]".
    if (!text.empty() && text.back() == ']') {
        const std::size_t with = text.rfind(" [with ");
        if (with != std::string_view::npos) text = text.substr(0, with);
    }
    static constexpr std::array<std::string_view, 6> kQualifiers = {
        " const", " volatile", " &&", " &", " noexcept", " override"};
    bool stripped = true;
    while (stripped) {
        stripped = false;
        for (std::string_view qualifier : kQualifiers) {
            if (text.ends_with(qualifier)) {
                text.remove_suffix(qualifier.size());
                stripped = true;
            }
        }
    }
    return text;
}

// Start of the name that ends at `end`: the last space outside brackets before it.
std::size_t NameStart(std::string_view text, std::size_t end) {
    int depth = 0;
    for (std::size_t i = end; i-- > 0;) {
        const char c = text[i];
        if (c == ')' || c == '>' || c == ']') ++depth;
        if ((c == '(' || c == '<' || c == '[') && depth > 0) --depth;
        if ((c == ' ' || c == '*' || c == '&') && depth == 0) return i + 1;
    }
    return 0;
}

}  // namespace

std::string xUtilQualifiedFunctionName(std::string_view prettyFunction) {
    std::string_view text = prettyFunction;
    for (std::string_view marker : kLambdaMarkers) {
        const std::size_t at = text.find(marker);
        if (at != std::string_view::npos) text = text.substr(0, at);
    }
    text = StripTrailingQualifiers(text);
    std::size_t nameEnd = text.size();
    if (!text.empty() && text.back() == ')') {
        const std::size_t open = MatchingOpenParen(text, text.size() - 1);
        if (open != std::string_view::npos) nameEnd = open;
    }
    return std::string(text.substr(NameStart(text, nameEnd), nameEnd - NameStart(text, nameEnd)));
}
