#include "server/trace_excerpt.h"

namespace server {

std::string TraceExcerpt(std::string_view text) {
    static constexpr char kHexDigits[] = "0123456789abcdef";
    const std::string_view shown = text.substr(0, kTraceExcerptLength);
    std::string out = "\"";
    for (const char c : shown) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte >= 0x20 && byte < 0x7f) {
            out += c;
        } else {
            out += "\\x";
            out += kHexDigits[byte >> 4];
            out += kHexDigits[byte & 0x0f];
        }
    }
    out += '"';
    if (shown.size() < text.size()) out += "...";
    return out;
}

}  // namespace server
