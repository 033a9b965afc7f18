// The options page "General": the computer name, the sound switch, the downloads' speed limit and
// the web view's switch in section "global".
#pragma once

#include <cstdint>
#include <string>

#include "core/parseini.h"
#include "ui/text/ui_strings.h"

namespace ui {

struct OptionsValues {
    std::string hostName;
    bool sound = true;
    bool webView = false;
    // KB/s for all downloads together; 0: no limit.
    int downloadLimit = 0;
    bool operator==(const OptionsValues&) const = default;
};

// The largest limit the options take, about 10 GB/s: beyond any network, short of any overflow.
inline constexpr int kMaxDownloadLimit = 10'000'000;
// The smallest limit: hosts running this program give up on a reader slower than 8 KB/s, and up
// to five downloads share the limit, so a smaller one would have them cut off.
inline constexpr int kMinDownloadLimit = 64;
// A limit as it is applied: 0 (none) for a negative one, at least kMinDownloadLimit, at most
// kMaxDownloadLimit.
int BoundDownloadLimit(int kilobytesPerSecond);
// The stored limit in bytes a second, bounded as above.
std::uint64_t DownloadLimitBytes(int kilobytesPerSecond);

// "hostname" (default the machine's own name) and "sound" (default 1, any non-zero is on).
OptionsValues LoadOptions(const utilcpp::CParseini& settings);
OptionsValues LoadOptions(const utilcpp::CParseini& settings, const std::string& machineName);

// The controls of the page that explain themselves on F1.
enum class OptionsControl { ComputerName, Sound };
StringId ContextHelpFor(OptionsControl control);

// OK of the options sheet: the name as typed (even empty, cut to 1023 bytes), sound and web view
// as 1 or 0, the download limit bounded.
bool SaveOptions(utilcpp::CParseini& settings, const OptionsValues& values);

}  // namespace ui
