// Whether a host answers the request words beyond the common protocol: not known until asked,
// lacking when it closed on one, present when it listed them.
#pragma once

#include <cstdint>

enum class ExtensionSupport : std::uint8_t { Unknown, Lacking, Present };
