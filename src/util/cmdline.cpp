#include "util/cmdline.h"

#include "util/text.h"

namespace {

// Length of the piece that starts at `text` and ends at the first `separator` standing after an
// even number of double quotes, or at the end of the text.
std::size_t QuotedPieceLength(std::string_view text, char separator) {
    bool insideQuotes = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '"') {
            insideQuotes = !insideQuotes;
        } else if (text[i] == separator && !insideQuotes) {
            return i;
        }
    }
    return text.size();
}

XUtilOption MakeSwitch(std::string_view token) {
    XUtilOption option;
    const std::string_view body = token.substr(1);
    const std::size_t colon = body.find(':');
    const std::size_t quote = body.find('"');
    // A colon after a quote is part of a quoted name, not the start of a value.
    if (colon == std::string_view::npos || (quote != std::string_view::npos && quote < colon)) {
        option.name = std::string(body);
        return option;
    }
    option.name = std::string(body.substr(0, colon));
    const std::string_view value = body.substr(colon + 1);
    option.value = std::string(value);
    option.items = xUtilSplitItems(value);
    return option;
}

}  // namespace

XUtilOptionList xUtilParseCommandLine(std::string_view commandLine) {
    XUtilOptionList options;
    std::string_view rest = commandLine;
    for (;;) {
        while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
        if (rest.empty()) break;
        const std::size_t length = QuotedPieceLength(rest, ' ');
        const std::string_view token = rest.substr(0, length);
        if (token.front() == '-' || token.front() == '/') {
            options.push_back(MakeSwitch(token));
        } else {
            XUtilOption argument;
            argument.value = xUtilUnquote(token);
            options.push_back(std::move(argument));
        }
        rest.remove_prefix(length);
    }
    return options;
}

const XUtilOption* xUtilFindOption(const XUtilOptionList& options, std::string_view name) {
    for (const XUtilOption& option : options) {
        if (option.name && xUtilEqualsNoCase(*option.name, name)) return &option;
    }
    return nullptr;
}

void xUtilFreeOptions(XUtilOptionList& options) {
    XUtilOptionList().swap(options);
}

std::vector<std::string> xUtilSplitItems(const char* text, std::size_t length) {
    if (text == nullptr) return {};
    return xUtilSplitItems(std::string_view(text, length));
}

std::vector<std::string> xUtilSplitItems(std::string_view text) {
    std::vector<std::string> items;
    for (;;) {
        const std::size_t length = QuotedPieceLength(text, ',');
        std::string item = xUtilUnquote(text.substr(0, length));
        if (item.empty()) break;
        items.push_back(std::move(item));
        if (length == text.size()) break;
        text.remove_prefix(length + 1);
    }
    return items;
}
