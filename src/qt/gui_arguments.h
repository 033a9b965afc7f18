// The desktop program's command line: the switches "debugfeatures" and "debug" (with "-" or "/",
// any case) and, as in wendaro-cli, "--config FILE" to choose the settings file, so that two
// copies with different settings can run side by side.
#pragma once

#include <string>
#include <vector>

namespace qtui {

struct GuiArguments {
    bool debugFeatures = false;
    // Empty: the usual settings file.
    std::string configFile;
    // Set when "--config" came without a file.
    std::string error;
};

// `args` without the program name.
GuiArguments ParseGuiArguments(const std::vector<std::string>& args);

}  // namespace qtui
