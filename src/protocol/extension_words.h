// Request words beyond the ones every host speaks. A host that does not know a word closes the
// connection without a reply; a client takes that as "this host lacks the extensions" and asks it
// the common way from then on. No word begins with "ping" or "gethostinfo": a host of the common
// protocol would take those for a keep-alive or a host-information request and answer them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace proto {

// "wdx-words": which extension words the host answers. The reply is one framed text, one word a
// line, this word included.
inline constexpr std::string_view kExtensionWordsWord = "wdx-words";

// The words this build answers.
std::vector<std::string> OwnExtensionWords();
std::string EncodeExtensionWords(const std::vector<std::string>& words);
// At most `maxWords` words; empty lines and words longer than 64 bytes are left out.
std::vector<std::string> ParseExtensionWords(std::string_view payload, std::size_t maxWords = 64);

}  // namespace proto
