// Splits and classifies arbitrary request lines, checking that the split loses nothing.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "protocol/extension_words.h"
#include "protocol/request_protocol.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view line(reinterpret_cast<const char*>(data), size);
    const auto split = proto::SplitRequest(line);
    if (split.jobWord.find(':') != std::string::npos) std::abort();

    const bool hasColon = line.find(':') != std::string_view::npos;
    const auto rebuilt = hasColon ? proto::BuildRequest(split.jobWord, split.argument)
                                  : proto::BuildRequest(split.jobWord);
    if (rebuilt != line) std::abort();
    if (!hasColon && !split.argument.empty()) std::abort();

    const auto type = proto::ClassifyJobWord(split.jobWord);
    const int number = static_cast<int>(type);
    if (number < 0 || number > static_cast<int>(proto::RequestKind::FolderStream)) std::abort();
    // Our own words are classified only as themselves, so a host of the common protocol sees
    // exactly what it saw before them.
    const auto& own = proto::OwnExtensionWords();
    const bool extension = std::find(own.begin(), own.end(), split.jobWord) != own.end();
    if (extension != (number >= static_cast<int>(proto::RequestKind::ExtensionWords))) {
        std::abort();
    }
    if (!extension && proto::IsFileSend(type) != (split.jobWord == "retrieve")) std::abort();
    return 0;
}
