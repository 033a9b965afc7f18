#include "cli/host_name_setting.h"

#include "net/interfaces.h"

namespace cli {

std::string ReadHostName(const utilcpp::CParseini& settings) {
    std::string name;
    settings.GetString("global", "hostname", name, net::GetLocalHostName());
    return name;
}

bool WriteHostName(utilcpp::CParseini& settings, const std::string& name) {
    return settings.SetString("global", "hostname", name);
}

bool AllowUnknownHosts(const utilcpp::CParseini& settings) {
    int allow = 0;
    settings.GetInt("global", "allowunknown", allow, 0);
    return allow == 1;
}

}  // namespace cli
