#include "web/web_text.h"

#include <algorithm>
#include <charconv>

namespace web {

std::vector<std::string> AcceptedLanguages(std::string_view header) {
    struct Weighted {
        std::string code;
        double weight;
        std::size_t order;
    };
    std::vector<Weighted> found;
    std::size_t start = 0;
    constexpr std::size_t kMaxLanguages = 8;
    while (start < header.size() && found.size() < kMaxLanguages * 4) {
        auto comma = header.find(',', start);
        if (comma == std::string_view::npos) comma = header.size();
        std::string_view item = header.substr(start, comma - start);
        start = comma + 1;
        const auto semicolon = item.find(';');
        std::string_view tag = item.substr(0, semicolon);
        while (!tag.empty() && tag.front() == ' ') tag.remove_prefix(1);
        while (!tag.empty() && tag.back() == ' ') tag.remove_suffix(1);
        if (tag.size() < 2) continue;
        std::string code;
        for (const char c : tag.substr(0, 2)) {
            if (c >= 'A' && c <= 'Z') {
                code.push_back(static_cast<char>(c - 'A' + 'a'));
            } else if (c >= 'a' && c <= 'z') {
                code.push_back(c);
            }
        }
        if (code.size() != 2 || (tag.size() > 2 && tag[2] != '-' && tag[2] != '_')) continue;
        double weight = 1.0;
        if (semicolon != std::string_view::npos) {
            std::string_view parameter = item.substr(semicolon + 1);
            while (!parameter.empty() && parameter.front() == ' ') parameter.remove_prefix(1);
            if (parameter.starts_with("q=")) {
                parameter.remove_prefix(2);
                const auto [end, error] =
                    std::from_chars(parameter.data(), parameter.data() + parameter.size(), weight);
                if (error != std::errc{}) weight = 0;
            }
        }
        if (weight <= 0) continue;
        found.push_back({code, weight, found.size()});
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const Weighted& a, const Weighted& b) { return a.weight > b.weight; });
    std::vector<std::string> codes;
    for (const auto& item : found) {
        if (std::find(codes.begin(), codes.end(), item.code) == codes.end()) {
            codes.push_back(item.code);
        }
        if (codes.size() == kMaxLanguages) break;
    }
    return codes;
}

std::string FillIn(std::string_view text, const std::vector<std::string>& arguments) {
    std::string out;
    std::size_t next = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 1 < text.size() && text[i + 1] == 's') {
            if (next < arguments.size()) out += arguments[next++];
            ++i;
        } else {
            out.push_back(text[i]);
        }
    }
    return out;
}

std::string EscapeHtml(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&#39;";
                break;
            default:
                out.push_back(c);
        }
    }
    return out;
}

}  // namespace web
