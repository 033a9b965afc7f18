// Parses arbitrary listing payloads and checks that a listing we send reads back the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "protocol/request_protocol.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view payload(reinterpret_cast<const char*>(data), size);
    auto entries = proto::ParseListing(payload);
    // Every entry but possibly the last costs at least three bytes on the wire.
    if (entries.size() > size / 3 + 1) std::abort();
    for (const auto& entry : entries) {
        if (entry.name == "." || entry.name == "..") std::abort();
        if (entry.name.find('\\') != std::string::npos) std::abort();
    }

    const auto reparsed = proto::ParseListing(proto::EncodeListing(entries));
    // The sender puts 0 for folders and never a negative size.
    for (auto& entry : entries)
        if (entry.folder || entry.size < 0) entry.size = 0;
    if (reparsed != entries) std::abort();
    return 0;
}
