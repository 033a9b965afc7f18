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
// The stored limit in bytes a second; a negative or missing one is no limit, a huge one the most.
std::uint64_t DownloadLimitBytes(int kilobytesPerSecond);

// "hostname" (default the machine's own name) and "sound" (default 1, any non-zero is on).
OptionsValues LoadOptions(const utilcpp::CParseini& settings);
OptionsValues LoadOptions(const utilcpp::CParseini& settings, const std::string& machineName);

// The controls of the page that explain themselves on F1.
enum class OptionsControl { ComputerName, Sound };
StringId ContextHelpFor(OptionsControl control);

// OK of the options sheet: the name as typed (even empty, cut to 1023 bytes), sound and web view
// as 1 or 0, the download limit within 0 .. kMaxDownloadLimit.
bool SaveOptions(utilcpp::CParseini& settings, const OptionsValues& values);

}  // namespace ui
