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

// A file of the program's state, kept between runs but no setting: $XDG_STATE_HOME/wendaro/`name`,
// falling back to ~/.local/state/wendaro/`name`; empty when there is no home folder at all.
std::string ResolveStatePath(const std::string& name);

// Where the downloads that a run leaves unfinished are kept: one list per settings file, as one
// program runs per settings file. The usual settings file keeps it in the state folder
// ("downloads"); any other (--config, a portable installation) beside itself, as
// "<settings file>.downloads".
std::string ResolveDownloadStatePath(const std::string& settingsFile);

}  // namespace utilcpp
