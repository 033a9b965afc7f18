// Peer text made safe for the diagnostic trace.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace server {

// Bytes of peer text that a diagnostic line shows at most.
inline constexpr std::size_t kTraceExcerptLength = 200;

// `text` in double quotes, cut to its first kTraceExcerptLength bytes ("..." after the quotes
// marks the cut), with the quote, the backslash and every byte outside printable ASCII written as
// \", \\ and \xNN, so that no control or escape sequence reaches a terminal or a trace file.
std::string TraceExcerpt(std::string_view text);

}  // namespace server
