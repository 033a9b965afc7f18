#include "protocol/search_reply.h"

#include <charconv>
#include <limits>

namespace proto {

namespace {

bool IsControl(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F;
}

template <typename T>
bool ParseNumber(std::string_view text, T& value) {
    if (text.empty() || text.size() > 20) return false;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

std::string_view TakeUntil(std::string_view& rest, char separator) {
    const auto end = rest.find(separator);
    const std::string_view field = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    return field;
}

bool ParseHitLine(std::string_view line, SearchHit& hit) {
    const std::string_view flag = TakeUntil(line, '\t');
    const std::string_view size = TakeUntil(line, '\t');
    const std::string_view modified = TakeUntil(line, '\t');
    if ((flag != "0" && flag != "1") || !ParseNumber(size, hit.size) || hit.size < 0 ||
        !ParseNumber(modified, hit.modified) || !IsCarriableSharePath(line)) {
        return false;
    }
    hit.folder = flag == "1";
    hit.path = std::string(line);
    return true;
}

}  // namespace

bool IsCarriableSharePath(std::string_view path) {
    if (path.size() < 2 || path.front() != '\\') return false;
    std::string_view rest = path.substr(1);
    for (;;) {
        const std::string_view element = TakeUntil(rest, '\\');
        if (element.empty() || element == "." || element == "..") return false;
        for (const char c : element) {
            if (c == '/' || IsControl(c)) return false;
        }
        if (rest.empty()) return path.back() != '\\';
    }
}

std::string EncodeSearchReply(const SearchReply& reply) {
    std::string lines;
    std::uint64_t leftOut = reply.leftOut;
    for (const SearchHit& hit : reply.hits) {
        bool carriable = true;
        for (const char c : hit.path) carriable = carriable && !IsControl(c);
        if (!carriable) {
            ++leftOut;
            continue;
        }
        lines += hit.folder ? "1\t" : "0\t";
        lines += std::to_string(hit.size < 0 ? 0 : hit.size);
        lines += '\t';
        lines += std::to_string(hit.modified);
        lines += '\t';
        lines += hit.path;
        lines += '\n';
    }
    return std::to_string(leftOut) + '\n' + lines;
}

bool ParseSearchReply(std::string_view payload, SearchReply& reply, std::size_t maxHits) {
    reply = {};
    if (!ParseNumber(TakeUntil(payload, '\n'), reply.leftOut)) return false;
    constexpr auto kMax = std::numeric_limits<std::uint64_t>::max();
    while (!payload.empty()) {
        const std::string_view line = TakeUntil(payload, '\n');
        if (line.empty()) continue;
        if (reply.hits.size() >= maxHits) {
            // Beyond the cap a line is only counted, which costs no memory.
            if (reply.leftOut < kMax) ++reply.leftOut;
            continue;
        }
        SearchHit hit;
        if (ParseHitLine(line, hit)) reply.hits.push_back(std::move(hit));
    }
    return true;
}

}  // namespace proto
