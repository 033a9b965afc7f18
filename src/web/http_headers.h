// The header values a file download needs: byte ranges, the attachment name, the type, and the
// validators that tell a resuming client whether its partial copy is still the same file.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>

namespace web {

struct ByteRange {
    enum class Kind {
        // No Range header, or one we answer with the whole file (several ranges, another unit,
        // or a syntax we do not understand: the whole file is always a correct answer).
        Whole,
        Partial,
        // A well-formed range that starts past the end: 416.
        Unsatisfiable,
    };
    Kind kind = Kind::Whole;
    std::uint64_t first = 0;
    // Inclusive.
    std::uint64_t last = 0;
};

// Interprets a Range header ("bytes=0-99", "bytes=100-", "bytes=-500") against a file size.
ByteRange ParseRange(std::string_view header, std::uint64_t size);

// The Content-Range value of a partial answer ("bytes 0-99/1000") or of a 416 ("bytes */1000").
std::string ContentRange(const ByteRange& range, std::uint64_t size);

// "attachment; filename="..."; filename*=UTF-8''..." with an ASCII stand-in for old clients and
// the exact UTF-8 name for all others.
std::string AttachmentDisposition(std::string_view fileName);

// The media type for a file name's extension; application/octet-stream when unknown.
const char* ContentTypeFor(std::string_view fileName);

// An IMF-fixdate ("Tue, 08 Dec 2026 11:27:44 GMT").
std::string HttpDate(std::time_t when);

// A strong validator of a file's version: changes when its size, modification time or inode does.
std::string EntityTag(std::uint64_t inode, std::uint64_t size, std::int64_t mtimeNs);

// True when an If-Range value names this version (the exact entity tag, or the exact date).
bool IfRangeMatches(std::string_view ifRange, std::string_view entityTag,
                    std::string_view lastModified);

}  // namespace web
