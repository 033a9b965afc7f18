#include "protocol/request_protocol.h"

namespace proto {
namespace {

// Takes the text before the next space and drops it with the space; leaves `rest` alone and
// reports false when no space is left.
bool TakeSpaceField(std::string_view& rest, std::string& field) {
    const auto space = rest.find(' ');
    if (space == std::string_view::npos) return false;
    field.assign(rest.substr(0, space));
    rest.remove_prefix(space + 1);
    return true;
}

}  // namespace

std::string EncodeHostInfo(std::string_view hostName, std::string_view versionText) {
    std::string payload;
    payload.reserve(hostName.size() + versionText.size() + 2);
    payload.append(hostName).append("\n").append(versionText).append("\n");
    return payload;
}

std::string EncodeHostInfoEx(std::string_view hostName, std::string_view versionText,
                             std::string_view systemText) {
    std::string payload;
    payload.reserve(hostName.size() + versionText.size() + systemText.size() + 3);
    payload.append(hostName).append("\n").append(versionText).append(systemText).append(" \n");
    return payload;
}

HostInfo ParseHostInfo(std::string_view payload, bool extended) {
    HostInfo info;
    std::string_view rest = payload;
    const auto firstBreak = rest.find('\n');
    if (firstBreak == std::string_view::npos) return info;
    info.hostName.assign(rest.substr(0, firstBreak));
    rest.remove_prefix(firstBreak + 1);

    const auto secondBreak = rest.find('\n');
    if (secondBreak == std::string_view::npos) return info;
    std::string_view line = rest.substr(0, secondBreak);
    // The fields follow one another; once a space is missing, the later ones stay empty.
    if (!TakeSpaceField(line, info.version)) return info;
    if (!TakeSpaceField(line, info.time)) return info;
    if (!TakeSpaceField(line, info.date)) return info;
    if (extended) TakeSpaceField(line, info.system);
    return info;
}

}  // namespace proto
