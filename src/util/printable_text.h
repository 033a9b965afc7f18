// Texts that another host chose (names, chat texts) made safe to show: nothing in them may drive a
// terminal, reorder what is shown around them or break a line that the viewer keeps as one.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace util {

// Each control character becomes "?": bytes below 0x20 and 0x7F, and in UTF-8 the C1 controls,
// the line and paragraph separators (U+2028, U+2029) and the bidirectional marks, embeddings,
// overrides and isolates (U+061C, U+200E, U+200F, U+202A-U+202E, U+2066-U+2069). Everything
// else is kept.
std::string PrintableText(std::string_view text);

// The longest start of `text` of at most `maxBytes` bytes that does not end inside a UTF-8
// sequence.
std::string_view Utf8Prefix(std::string_view text, std::size_t maxBytes);

}  // namespace util
