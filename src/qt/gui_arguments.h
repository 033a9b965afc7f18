// The desktop program's command line: the switches "debugfeatures" and "debug" (with "-" or "/",
// any case) and, as in wendaro-cli, "--config FILE" to choose the settings file, so that two
// copies with different settings can run side by side.
#pragma once

#include <string>
#include <vector>

namespace qtui {

struct GuiArguments {
    bool debugFeatures = false;
    // "--help" or "-h": print the usage and end; "--version": print the version and end.
    bool help = false;
    bool version = false;
    // Empty: the usual settings file.
    std::string configFile;
    // Set when "--config" came without a file.
    std::string error;
};

// `args` without the program name.
GuiArguments ParseGuiArguments(const std::vector<std::string>& args);

// What "--help" prints, in the user's language, naming the settings file this start would use.
std::string GuiUsage(const std::string& settingsFile);

}  // namespace qtui
