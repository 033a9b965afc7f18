// The reply to "wdx-search": the matching names of a host's shares, as one framed text. First line
// the count of matches beyond the ones listed, then one match a line:
//   <folder 0|1> TAB <size> TAB <modified, seconds since 1970 UTC> TAB <share path> LF
// Share paths are written the way the request protocol writes them ("\Share\folder\name").
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace proto {

// "wdx-search:<pattern>": a case-insensitive search of the host's share names, by substring, or
// by a whole-name pattern when the pattern holds "*" (any run) or "?" (one character).
inline constexpr std::string_view kSearchWord = "wdx-search";

// Matches a host lists at most; the rest are only counted.
inline constexpr std::size_t kMaxSearchHits = 1000;
// A reply longer than this is no reply of ours (a thousand paths of a few kilobytes each).
inline constexpr std::size_t kMaxSearchReplyLength = 8 * 1024 * 1024;
// Longest pattern a host takes; longer ones find nothing.
inline constexpr std::size_t kMaxSearchPatternLength = 256;

struct SearchHit {
    std::string path;  // "\Share\folder\name"
    std::int64_t size = 0;
    bool folder = false;
    std::int64_t modified = 0;  // seconds since 1970 UTC; 0 when unknown

    bool operator==(const SearchHit&) const = default;
};

struct SearchReply {
    std::vector<SearchHit> hits;
    // Matches the host found beyond the listed ones (its own count plus lines this side left out).
    std::uint64_t leftOut = 0;
};

// Hits whose path cannot be carried (a control character in it) are left out and counted.
std::string EncodeSearchReply(const SearchReply& reply);

// Whether a path from another host is one this side may show and ask for: "\" then elements
// separated by "\", none empty, "." or "..", none holding "/" or a control character.
bool IsCarriableSharePath(std::string_view path);

// The client's reading: at most `maxHits` hits; malformed lines and unsafe paths are dropped,
// lines beyond `maxHits` are counted in leftOut. False when the first line is no count (then the
// reply is not ours). Linear in the payload; the caller bounds the payload.
bool ParseSearchReply(std::string_view payload, SearchReply& reply,
                      std::size_t maxHits = kMaxSearchHits);

}  // namespace proto
