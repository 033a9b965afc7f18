// Whether a host answers the extension words, learnt with one connection: a host of the common
// protocol closes on the unknown word, which costs it nothing more than that one connection. The
// answer belongs in the host's node of the network structure, so that it is asked once per host.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/extension_support.h"
#include "core/types.h"

namespace client {

struct ExtensionAnswer {
    // Unknown when the host could not be reached or did not answer in time: ask again later.
    ExtensionSupport support = ExtensionSupport::Unknown;
    std::vector<std::string> words;

    bool Has(const std::string& word) const;
};

ExtensionAnswer AskExtensionWords(Ipv4 address, std::uint16_t port, const StopFlag* stop);

}  // namespace client
