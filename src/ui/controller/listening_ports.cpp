#include "ui/controller/listening_ports.h"

#include "net/socket.h"
#include "ui/text/ui_strings.h"

namespace ui {

std::optional<std::string> TakenPortMessage(std::initializer_list<std::uint16_t> ports) {
    for (const std::uint16_t port : ports) {
        if (!net::CreateListener(0, port).valid()) {
            return FormatText(Translate("Cannot listen on TCP port %u (does another copy run?)."),
                              {port});
        }
    }
    return std::nullopt;
}

}  // namespace ui
