#include "util/printable_text.h"

namespace util {

namespace {

// The length of the control character `text` begins with, 0 for anything else: C0 and DEL as
// bytes; C1 (U+0080-U+009F), which terminals obey as escapes; the separators that a text view
// takes for a new paragraph; and the marks and overrides that reorder what follows them.
std::size_t ControlSequenceLength(std::string_view text) {
    const auto at = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = at(0);
    if (lead < 0x20 || lead == 0x7F) return 1;
    if (text.size() >= 2 && lead == 0xC2 && at(1) >= 0x80 && at(1) <= 0x9F) return 2;
    if (text.size() >= 2 && lead == 0xD8 && at(1) == 0x9C) return 2;
    if (text.size() >= 3 && lead == 0xE2) {
        const unsigned char second = at(1);
        const unsigned char third = at(2);
        if (second == 0x80 &&
            (third == 0x8E || third == 0x8F || (third >= 0xA8 && third <= 0xAE))) {
            return 3;
        }
        if (second == 0x81 && third >= 0xA6 && third <= 0xA9) return 3;
    }
    return 0;
}

bool IsContinuationByte(char byte) {
    return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

}  // namespace

std::string PrintableText(std::string_view text) {
    std::string clean;
    clean.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = ControlSequenceLength(text.substr(i));
        if (length == 0) {
            clean += text[i++];
        } else {
            clean += '?';
            i += length;
        }
    }
    return clean;
}

std::string_view Utf8Prefix(std::string_view text, std::size_t maxBytes) {
    if (text.size() <= maxBytes) return text;
    std::size_t end = maxBytes;
    // A sequence is at most four bytes: step back over its continuation bytes to its lead.
    for (int step = 0; step < 3 && end > 0 && IsContinuationByte(text[end]); ++step) --end;
    return text.substr(0, end);
}

}  // namespace util
