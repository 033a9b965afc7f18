#include "ui/desktop/options_settings.h"

#include <algorithm>

#include "core/settings_keys.h"
#include "net/interfaces.h"
#include "ui/desktop/layout_settings.h"

namespace ui {

OptionsValues LoadOptions(const utilcpp::CParseini& settings) {
    return LoadOptions(settings, net::GetLocalHostName());
}

OptionsValues LoadOptions(const utilcpp::CParseini& settings, const std::string& machineName) {
    OptionsValues values;
    settings.GetString(settings_keys::kGlobal, settings_keys::kHostName, values.hostName,
                       machineName);
    int sound = 1;
    settings.GetInt(settings_keys::kGlobal, settings_keys::kSound, sound, 1);
    values.sound = sound != 0;
    int webView = 0;
    settings.GetInt(settings_keys::kGlobal, settings_keys::kWebView, webView, 0);
    // Only 1 switches it on, as for `serve`.
    values.webView = webView == 1;
    settings.GetInt(settings_keys::kGlobal, settings_keys::kDownloadLimit, values.downloadLimit, 0);
    values.downloadLimit = BoundDownloadLimit(values.downloadLimit);
    return values;
}

bool SaveOptions(utilcpp::CParseini& settings, const OptionsValues& values) {
    const bool nameWritten = settings.SetString(settings_keys::kGlobal, settings_keys::kHostName,
                                                values.hostName.substr(0, 1023));
    const bool soundWritten =
        settings.SetInt(settings_keys::kGlobal, settings_keys::kSound, values.sound ? 1 : 0);
    const bool webViewWritten =
        settings.SetInt(settings_keys::kGlobal, settings_keys::kWebView, values.webView ? 1 : 0);
    const bool limitWritten = settings.SetInt(settings_keys::kGlobal, settings_keys::kDownloadLimit,
                                              BoundDownloadLimit(values.downloadLimit));
    return nameWritten && soundWritten && webViewWritten && limitWritten;
}

int BoundDownloadLimit(int kilobytesPerSecond) {
    if (kilobytesPerSecond <= 0) return 0;
    return std::clamp(kilobytesPerSecond, kMinDownloadLimit, kMaxDownloadLimit);
}

std::uint64_t DownloadLimitBytes(int kilobytesPerSecond) {
    return static_cast<std::uint64_t>(BoundDownloadLimit(kilobytesPerSecond)) * 1024;
}

StringId ContextHelpFor(OptionsControl control) {
    return control == OptionsControl::ComputerName ? StringId::OptionsComputerNameHelp
                                                   : StringId::OptionsSoundHelp;
}

}  // namespace ui
