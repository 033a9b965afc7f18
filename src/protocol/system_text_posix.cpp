#include <sys/utsname.h>

#include <algorithm>

#include "protocol/request_protocol.h"

namespace proto {

std::string OwnSystemText() {
    utsname names{};
    if (uname(&names) != 0) return {};
    // Same layout as the platform word, "." and release, then "#" and the build description.
    std::string text = names.sysname;
    text += '.';
    text += names.release;
    if (names.version[0] != '\0') {
        text += '#';
        text += names.version;
    }
    // A space would end the field early on the reading side.
    std::replace(text.begin(), text.end(), ' ', '_');
    return text;
}

}  // namespace proto
