#include "ui/desktop/options_settings.h"

#include "net/interfaces.h"
#include "ui/desktop/layout_settings.h"

namespace ui {

OptionsValues LoadOptions(const utilcpp::CParseini& settings) {
    return LoadOptions(settings, net::GetLocalHostName());
}

OptionsValues LoadOptions(const utilcpp::CParseini& settings, const std::string& machineName) {
    OptionsValues values;
    settings.GetString(kGlobalSection, "hostname", values.hostName, machineName);
    int sound = 1;
    settings.GetInt(kGlobalSection, "sound", sound, 1);
    values.sound = sound != 0;
    return values;
}

bool SaveOptions(utilcpp::CParseini& settings, const OptionsValues& values) {
    const bool nameWritten =
        settings.SetString(kGlobalSection, "hostname", values.hostName.substr(0, 1023));
    const bool soundWritten = settings.SetInt(kGlobalSection, "sound", values.sound ? 1 : 0);
    return nameWritten && soundWritten;
}

}  // namespace ui
