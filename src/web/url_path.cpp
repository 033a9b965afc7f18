#include "web/url_path.h"

#include <array>
#include <cstdint>

namespace web {
namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool IsAcceptableComponent(std::string_view name) {
    if (name.empty() || name == "." || name == "..") return false;
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        // A backslash is the separator of share paths on the wire: it would split the name there.
        if (byte < 0x20 || byte == 0x7f || c == '\\') return false;
    }
    return IsValidUtf8(name);
}

}  // namespace

bool PercentDecode(std::string_view raw, std::string& out) {
    out.clear();
    out.reserve(raw.size());
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] != '%') {
            out.push_back(raw[i]);
            continue;
        }
        if (i + 2 >= raw.size()) return false;
        const int high = HexValue(raw[i + 1]);
        const int low = HexValue(raw[i + 2]);
        if (high < 0 || low < 0) return false;
        out.push_back(static_cast<char>(high * 16 + low));
        i += 2;
    }
    return true;
}

bool IsValidUtf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        if (lead < 0x80) {
            ++i;
            continue;
        }
        std::size_t length = 0;
        std::uint32_t code = 0;
        std::uint32_t smallest = 0;
        if ((lead & 0xe0) == 0xc0) {
            length = 2;
            code = lead & 0x1f;
            smallest = 0x80;
        } else if ((lead & 0xf0) == 0xe0) {
            length = 3;
            code = lead & 0x0f;
            smallest = 0x800;
        } else if ((lead & 0xf8) == 0xf0) {
            length = 4;
            code = lead & 0x07;
            smallest = 0x10000;
        } else {
            return false;
        }
        if (i + length > text.size()) return false;
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xc0) != 0x80) return false;
            code = (code << 6) | (next & 0x3f);
        }
        // An overlong form is how "/" or "." hides from a check that looks at single bytes.
        if (code < smallest || code > 0x10ffff || (code >= 0xd800 && code <= 0xdfff)) {
            return false;
        }
        i += length;
    }
    return true;
}

bool SplitUrlPath(std::string_view rawPath, std::vector<std::string>& components,
                  bool& trailingSlash) {
    components.clear();
    if (rawPath.empty() || rawPath.front() != '/') return false;
    rawPath.remove_prefix(1);
    trailingSlash = rawPath.empty() || rawPath.back() == '/';
    if (trailingSlash && !rawPath.empty()) rawPath.remove_suffix(1);
    if (rawPath.empty()) return true;
    std::size_t start = 0;
    while (start <= rawPath.size()) {
        const auto slash = rawPath.find('/', start);
        const auto end = slash == std::string_view::npos ? rawPath.size() : slash;
        std::string name;
        // Decoded once: an escape of an escape stays a literal "%" in the name, which no check
        // below mistakes for anything else.
        if (!PercentDecode(rawPath.substr(start, end - start), name)) return false;
        // "%2f" inside a component would be a separator the splitting above never saw.
        if (name.find('/') != std::string::npos || !IsAcceptableComponent(name)) return false;
        components.push_back(std::move(name));
        if (slash == std::string_view::npos) break;
        start = slash + 1;
    }
    return true;
}

std::string PercentEncode(std::string_view text) {
    static constexpr std::array<char, 16> kHex = {'0', '1', '2', '3', '4', '5', '6', '7',
                                                  '8', '9', 'A', 'B', 'C', 'D', 'E', 'F'};
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        const bool unreserved = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                                (c >= '0' && c <= '9') || c == '-' || c == '.' || c == '_' ||
                                c == '~';
        if (unreserved) {
            out.push_back(c);
        } else {
            out.push_back('%');
            out.push_back(kHex[byte >> 4]);
            out.push_back(kHex[byte & 0x0f]);
        }
    }
    return out;
}

}  // namespace web
