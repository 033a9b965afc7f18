// The names hosts are shown under. A name that more than one host uses is shown with each one's
// address, so that a look-alike cannot pass for the host the user knows.
#pragma once

#include <string>
#include <vector>

#include "core/types.h"

namespace ui {

struct NamedHost {
    Ipv4 address = 0;
    std::string name;
};

// One label per host, in the same order: the name, or "name (address)" when another host has
// a name that reads the same (blanks around it and control characters aside).
std::vector<std::string> HostLabels(const std::vector<NamedHost>& hosts);

}  // namespace ui
