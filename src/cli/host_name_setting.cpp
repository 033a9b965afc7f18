#include "cli/host_name_setting.h"

#include "core/settings_keys.h"
#include "net/interfaces.h"

namespace cli {

std::string ReadHostName(const utilcpp::CParseini& settings) {
    std::string name;
    settings.GetString(settings_keys::kGlobal, settings_keys::kHostName, name,
                       net::GetLocalHostName());
    return name;
}

bool WriteHostName(utilcpp::CParseini& settings, const std::string& name) {
    return settings.SetString(settings_keys::kGlobal, settings_keys::kHostName, name);
}

bool AllowUnknownHosts(const utilcpp::CParseini& settings) {
    int allow = 0;
    settings.GetInt(settings_keys::kGlobal, settings_keys::kAllowUnknown, allow, 0);
    return allow == 1;
}

}  // namespace cli
