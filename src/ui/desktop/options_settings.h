// The options page "General": the computer name, the sound switch and the web view's switch in
// section "global".
#pragma once

#include <string>

#include "core/parseini.h"
#include "ui/text/ui_strings.h"

namespace ui {

struct OptionsValues {
    std::string hostName;
    bool sound = true;
    bool webView = false;
    bool operator==(const OptionsValues&) const = default;
};

// "hostname" (default the machine's own name) and "sound" (default 1, any non-zero is on).
OptionsValues LoadOptions(const utilcpp::CParseini& settings);
OptionsValues LoadOptions(const utilcpp::CParseini& settings, const std::string& machineName);

// The controls of the page that explain themselves on F1.
enum class OptionsControl { ComputerName, Sound };
StringId ContextHelpFor(OptionsControl control);

// OK of the options sheet: the name as typed (even empty, cut to 1023 bytes), sound and web view
// as 1 or 0.
bool SaveOptions(utilcpp::CParseini& settings, const OptionsValues& values);

}  // namespace ui
