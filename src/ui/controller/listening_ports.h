// The network objects report no failure to listen; before they start, each front end asks here
// whether its TCP ports are free, so that a port another program holds is told to the user.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>

namespace ui {

// Nothing when every port can be listened on; else the message for the first that cannot, in
// the user's language.
std::optional<std::string> TakenPortMessage(std::initializer_list<std::uint16_t> ports);

}  // namespace ui
