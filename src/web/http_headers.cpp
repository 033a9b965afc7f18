#include "web/http_headers.h"

#include <array>
#include <charconv>
#include <cstdio>
#include <utility>

#include "web/url_path.h"

namespace web {
namespace {

bool ParseNumber(std::string_view text, std::uint64_t& value) {
    if (text.empty()) return false;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc{} && end == text.data() + text.size();
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

std::string ToLower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return lower;
}

}  // namespace

ByteRange ParseRange(std::string_view header, std::uint64_t size) {
    ByteRange whole;
    header = Trim(header);
    constexpr std::string_view kUnit = "bytes=";
    if (header.size() < kUnit.size() || ToLower(header.substr(0, kUnit.size())) != kUnit) {
        return whole;
    }
    const std::string_view spec = Trim(header.substr(kUnit.size()));
    if (spec.find(',') != std::string_view::npos) return whole;
    const auto dash = spec.find('-');
    if (dash == std::string_view::npos) return whole;
    const std::string_view from = Trim(spec.substr(0, dash));
    const std::string_view to = Trim(spec.substr(dash + 1));

    ByteRange range;
    range.kind = ByteRange::Kind::Partial;
    std::uint64_t a = 0, b = 0;
    if (from.empty()) {
        // The last b bytes.
        if (!ParseNumber(to, b)) return whole;
        if (b == 0 || size == 0) return ByteRange{ByteRange::Kind::Unsatisfiable, 0, 0};
        range.first = b >= size ? 0 : size - b;
        range.last = size - 1;
        return range;
    }
    if (!ParseNumber(from, a)) return whole;
    if (!to.empty()) {
        if (!ParseNumber(to, b) || b < a) return whole;
    }
    if (a >= size) return ByteRange{ByteRange::Kind::Unsatisfiable, 0, 0};
    range.first = a;
    range.last = to.empty() || b >= size ? size - 1 : b;
    return range;
}

std::string ContentRange(const ByteRange& range, std::uint64_t size) {
    if (range.kind == ByteRange::Kind::Unsatisfiable) return "bytes */" + std::to_string(size);
    return "bytes " + std::to_string(range.first) + "-" + std::to_string(range.last) + "/" +
           std::to_string(size);
}

std::string AttachmentDisposition(std::string_view fileName) {
    std::string fallback;
    for (const char c : fileName) {
        const auto byte = static_cast<unsigned char>(c);
        // Quotes and backslashes would end or escape the quoted string; bytes above ASCII mean
        // nothing to a client that only reads this parameter.
        fallback.push_back(byte < 0x20 || byte >= 0x7f || c == '"' || c == '\\' ? '_' : c);
    }
    return "attachment; filename=\"" + fallback + "\"; filename*=UTF-8''" + PercentEncode(fileName);
}

const char* ContentTypeFor(std::string_view fileName) {
    static constexpr std::array<std::pair<std::string_view, const char*>, 34> kTypes = {{
        {"txt", "text/plain; charset=utf-8"},
        {"md", "text/plain; charset=utf-8"},
        {"csv", "text/csv; charset=utf-8"},
        {"log", "text/plain; charset=utf-8"},
        {"html", "text/html; charset=utf-8"},
        {"htm", "text/html; charset=utf-8"},
        {"css", "text/css"},
        {"js", "text/javascript"},
        {"json", "application/json"},
        {"xml", "application/xml"},
        {"pdf", "application/pdf"},
        {"zip", "application/zip"},
        {"gz", "application/gzip"},
        {"tar", "application/x-tar"},
        {"7z", "application/x-7z-compressed"},
        {"deb", "application/vnd.debian.binary-package"},
        {"apk", "application/vnd.android.package-archive"},
        {"iso", "application/x-iso9660-image"},
        {"jpg", "image/jpeg"},
        {"jpeg", "image/jpeg"},
        {"png", "image/png"},
        {"gif", "image/gif"},
        {"webp", "image/webp"},
        {"svg", "image/svg+xml"},
        {"mp3", "audio/mpeg"},
        {"ogg", "audio/ogg"},
        {"flac", "audio/flac"},
        {"wav", "audio/wav"},
        {"mp4", "video/mp4"},
        {"mkv", "video/x-matroska"},
        {"webm", "video/webm"},
        {"odt", "application/vnd.oasis.opendocument.text"},
        {"ods", "application/vnd.oasis.opendocument.spreadsheet"},
        {"docx", "application/vnd.openxmlformats-officedocument.wordprocessingml.document"},
    }};
    const auto dot = fileName.rfind('.');
    if (dot == std::string_view::npos || dot == 0) return "application/octet-stream";
    const std::string extension = ToLower(fileName.substr(dot + 1));
    for (const auto& [known, type] : kTypes) {
        if (known == extension) return type;
    }
    return "application/octet-stream";
}

std::string HttpDate(std::time_t when) {
    std::tm utc{};
    gmtime_r(&when, &utc);
    std::array<char, 64> text{};
    const std::size_t length =
        std::strftime(text.data(), text.size(), "%a, %d %b %Y %H:%M:%S GMT", &utc);
    return {text.data(), length};
}

std::string EntityTag(std::uint64_t inode, std::uint64_t size, std::int64_t mtimeNs) {
    std::array<char, 80> text{};
    const int length = std::snprintf(
        text.data(), text.size(), "\"%llx-%llx-%llx\"", static_cast<unsigned long long>(inode),
        static_cast<unsigned long long>(size), static_cast<unsigned long long>(mtimeNs));
    return {text.data(), static_cast<std::size_t>(length)};
}

bool IfRangeMatches(std::string_view ifRange, std::string_view entityTag,
                    std::string_view lastModified) {
    ifRange = Trim(ifRange);
    // A weak tag never matches for ranges.
    if (ifRange.starts_with("W/")) return false;
    if (ifRange.starts_with('"')) return ifRange == entityTag;
    return ifRange == lastModified;
}

}  // namespace web
