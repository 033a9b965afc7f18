// Where the settings file lives.
#pragma once

#include <string>

namespace utilcpp {

// The running executable's full path; empty when the system does not tell.
std::string ExecutablePath();

// The settings file: `configOverride` when not empty; else "wendaro.ini" beside the executable
// when that file exists (a portable installation); else $XDG_CONFIG_HOME/wendaro/wendaro.ini,
// falling back to ~/.config/wendaro/wendaro.ini. The folder is created by the first write.
std::string ResolveSettingsPath(const std::string& configOverride,
                                const std::string& executablePath);

}  // namespace utilcpp
