#include "protocol/extension_words.h"
#include "protocol/folder_stream.h"
#include "protocol/get_request.h"
#include "protocol/request_protocol.h"
#include "protocol/search_reply.h"

namespace proto {

std::string BuildRequest(std::string_view jobWord) {
    return std::string(jobWord);
}

std::string BuildRequest(std::string_view jobWord, std::string_view argument) {
    std::string line;
    line.reserve(jobWord.size() + 1 + argument.size());
    line.append(jobWord);
    line.push_back(':');
    line.append(argument);
    return line;
}

RequestLine SplitRequest(std::string_view line) {
    const auto colon = line.find(':');
    if (colon == std::string_view::npos) return {std::string(line), {}};
    return {std::string(line.substr(0, colon)), std::string(line.substr(colon + 1))};
}

RequestKind ClassifyJobWord(std::string_view jobWord) {
    // The order matters: "gethostinfo" must be tested for equality before the prefix test that
    // catches "gethostinfoex".
    if (jobWord.starts_with("ping")) return RequestKind::Ping;
    if (jobWord == "expand") return RequestKind::Expand;
    if (jobWord == "retrieve") return RequestKind::Retrieve;
    if (jobWord == "gethostinfo") return RequestKind::GetHostInfo;
    if (jobWord.starts_with("gethostinfo")) return RequestKind::GetHostInfoEx;
    if (jobWord == "hostmodified") return RequestKind::HostModified;
    if (jobWord == kExtensionWordsWord) return RequestKind::ExtensionWords;
    if (jobWord == kFolderStreamWord) return RequestKind::FolderStream;
    if (jobWord == kGetWord) return RequestKind::Get;
    if (jobWord == kSearchWord) return RequestKind::Search;
    return RequestKind::Unknown;
}

}  // namespace proto
