#include "qt/gui_arguments.h"

#include "util/cmdline.h"

namespace qtui {

namespace {

std::string Quoted(const std::string& arg) {
    return '"' + arg + '"';
}

}  // namespace

GuiArguments ParseGuiArguments(const std::vector<std::string>& args) {
    GuiArguments parsed;
    std::string switches;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--config") {
            if (i + 1 >= args.size()) {
                parsed.error = "--config needs a file";
                return parsed;
            }
            parsed.configFile = args[++i];
            continue;
        }
        if (arg.rfind("--config=", 0) == 0) {
            parsed.configFile = arg.substr(9);
            if (parsed.configFile.empty()) parsed.error = "--config needs a file";
            continue;
        }
        // Quoted, a plain argument can never pass for a switch.
        switches += (arg.empty() || (arg[0] != '-' && arg[0] != '/')) ? Quoted(arg) : arg;
        switches += ' ';
    }
    const XUtilOptionList options = xUtilParseCommandLine(switches);
    parsed.debugFeatures = xUtilFindOption(options, "debugfeatures") != nullptr;
    return parsed;
}

}  // namespace qtui
