// The add-host dialog's list of recently entered host names (section "global", keys
// "hostmruentry1" .. "hostmruentry10", 1 the newest), and what its OK button does.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/parseini.h"
#include "core/types.h"

namespace ui {

inline constexpr int kHostMruSize = 10;
// Longest text the dialog takes from its input or its list.
inline constexpr std::size_t kMaxHostTextLength = 1023;

// "hostmruentry" followed by n in decimal.
std::string HostMruKey(int n);

// Entries in key order; reading stops at the first empty one. Entries longer than the dialog
// can hold are left out.
std::vector<std::string> LoadHostMru(const utilcpp::CParseini& settings);

// The order in which the dialog's list shows them: alphabetical without regard to case, equal
// ones in their stored order.
std::vector<std::string> DisplayOrder(std::vector<std::string> entries);

// What is stored after newText was accepted: newText first, then the shown entries in their
// shown order without those exactly equal to newText (case matters), at most ten in all.
std::vector<std::string> MruAfterAccept(const std::string& newText,
                                        const std::vector<std::string>& shownEntries);

// Writes entry 1 .. n; keys beyond are left as they are. False if any write failed.
bool SaveHostMru(utilcpp::CParseini& settings, const std::vector<std::string>& entries);

// Host name or dotted address -> IPv4 in network order.
using HostResolver = std::function<bool(const std::string& text, Ipv4& address)>;

// What became of OK in the add-host dialog.
enum class AddHostOutcome {
    Ignored,     // empty text: the dialog stays open, silently
    Unresolved,  // show StringId::HostNotResolved; the dialog stays open with the text
    Accepted,    // the host was added: the dialog closes
};

}  // namespace ui
