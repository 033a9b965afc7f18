#include "qt/gui_arguments.h"

#include "ui/text/ui_strings.h"
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
        if (arg == "--help" || arg == "-h") {
            parsed.help = true;
            continue;
        }
        if (arg == "--version") {
            parsed.version = true;
            continue;
        }
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

std::string GuiUsage(const std::string& settingsFile) {
    return ui::FormatText(
        ui::Translate("Usage: wendaro [-debug[:FILTER]] [-debugfeatures] [--config FILE]\n"
                      "Shares folders and chats with the computers of the local network.\n"
                      "\n"
                      "  -debug[:FILTER]  write diagnostics of failures (FILTER: level 0-3, then "
                      "stdout or files)\n"
                      "  -debugfeatures   keep \"Add host manually\" and \"Remove host\" in the "
                      "menus\n"
                      "  --config FILE    use FILE as the settings file\n"
                      "  --help           show this text\n"
                      "  --version        show the version\n"
                      "\n"
                      "Settings file: %s\n"),
        {settingsFile});
}

}  // namespace qtui
