#include "protocol/get_request.h"

#include <charconv>
#include <vector>

namespace proto {
namespace {

template <typename Number>
bool ParseNumber(std::string_view text, Number& out) {
    if (text.empty() || text.size() > 20) return false;
    const char* first = text.data();
    // from_chars takes a minus sign for signed numbers; only the time may be negative.
    if (text.front() == '+') return false;
    const auto [end, error] = std::from_chars(first, first + text.size(), out);
    return error == std::errc() && end == first + text.size();
}

// Splits off `count` fields ended by `separator`; the rest stays in `text`.
bool SplitFields(std::string_view& text, char separator, std::size_t count,
                 std::vector<std::string_view>& fields) {
    for (std::size_t i = 0; i < count; ++i) {
        const auto end = text.find(separator);
        if (end == std::string_view::npos) return false;
        fields.push_back(text.substr(0, end));
        text.remove_prefix(end + 1);
    }
    return true;
}

}  // namespace

std::string BuildGetRequest(const GetRequest& request) {
    return std::string(kGetWord) + ':' + std::to_string(request.offset) + ':' +
           std::to_string(request.size) + ':' + std::to_string(request.modifiedNs) + ':' +
           request.path;
}

std::optional<GetRequest> ParseGetArgument(std::string_view argument) {
    std::vector<std::string_view> fields;
    GetRequest request;
    if (!SplitFields(argument, ':', 3, fields) || !ParseNumber(fields[0], request.offset) ||
        !ParseNumber(fields[1], request.size) || !ParseNumber(fields[2], request.modifiedNs)) {
        return std::nullopt;
    }
    request.path = std::string(argument);
    return request;
}

std::string EncodeGetStart(const GetStart& start) {
    return std::to_string(start.start) + ' ' + std::to_string(start.size) + ' ' +
           std::to_string(start.modifiedNs);
}

std::optional<GetStart> ParseGetStart(std::string_view text) {
    std::vector<std::string_view> fields;
    GetStart start;
    if (!SplitFields(text, ' ', 2, fields) || !ParseNumber(fields[0], start.start) ||
        !ParseNumber(fields[1], start.size) || !ParseNumber(text, start.modifiedNs) ||
        start.start > start.size) {
        return std::nullopt;
    }
    return start;
}

}  // namespace proto
