// "wdx-get": one file from an offset, when the client proves it holds the beginning of the same
// version of the file, followed by the SHA-256 of the whole file. See docs/protocol-extensions.md.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace proto {

inline constexpr std::string_view kGetWord = "wdx-get";

// What the client asks for: `path` from `offset`, provided the file still has the `size` and
// modification time (nanoseconds since the epoch) that the client recorded when its part began.
// An offset of 0 asks for the whole file whatever the rest says.
struct GetRequest {
    std::uint64_t offset = 0;
    std::uint64_t size = 0;
    std::int64_t modifiedNs = 0;
    std::string path;
};

// The request line: "wdx-get:<offset>:<size>:<modifiedNs>:<path>".
std::string BuildGetRequest(const GetRequest& request);
// The argument after "wdx-get:"; nullopt when the numbers are not plain decimals.
std::optional<GetRequest> ParseGetArgument(std::string_view argument);

// The host's first reply: where its data start, and the identity of the version it sends.
struct GetStart {
    std::uint64_t start = 0;
    std::uint64_t size = 0;
    std::int64_t modifiedNs = 0;
};

// "<start> <size> <modifiedNs>", sent as one framed text.
std::string EncodeGetStart(const GetStart& start);
// nullopt unless three plain decimals with start <= size.
std::optional<GetStart> ParseGetStart(std::string_view text);

// The last reply: the file's SHA-256 as lowercase hex.
inline constexpr std::size_t kDigestTextLength = 64;
inline constexpr std::size_t kMaxGetStartLength = 128;

}  // namespace proto
