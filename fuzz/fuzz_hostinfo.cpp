// Splits arbitrary host information replies and checks that re-sending the fields reads back the
// same record.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "protocol/request_protocol.h"

namespace {

void Check(std::string_view payload, bool extended) {
    const auto info = proto::ParseHostInfo(payload, extended);
    if (info.hostName.find('\n') != std::string::npos) std::abort();
    for (const auto* field : {&info.version, &info.time, &info.date, &info.system}) {
        if (field->find('\n') != std::string::npos || field->find(' ') != std::string::npos)
            std::abort();
    }
    if (!extended && !info.system.empty()) std::abort();

    const auto versionText = info.version + " " + info.time + " " + info.date + " ";
    const auto resent = extended ? proto::EncodeHostInfoEx(info.hostName, versionText, info.system)
                                 : proto::EncodeHostInfo(info.hostName, versionText);
    if (proto::ParseHostInfo(resent, extended) != info) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view payload(reinterpret_cast<const char*>(data), size);
    Check(payload, false);
    Check(payload, true);
    return 0;
}
