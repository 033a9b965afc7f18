#include "ui/desktop/first_run.h"

#include <vector>

#include "ui/desktop/layout_settings.h"
#include "ui/desktop/options_settings.h"
#include "ui/desktop/share_checks.h"

namespace ui {

namespace {

int ReadGlobalInt(const utilcpp::CParseini& settings, const char* key) {
    int value = 0;
    settings.GetInt(kGlobalSection, key, value, 0);
    return value;
}

}  // namespace

bool ShouldShowSplash(const utilcpp::CParseini& settings) {
    return ReadGlobalInt(settings, "skipsplash") == 0;
}

bool ShouldOfferFirstRunWizard(const utilcpp::CParseini& settings) {
    return ReadGlobalInt(settings, "firstinstalled") == 0;
}

bool HasAnyShare(const utilcpp::CParseini& settings) {
    std::vector<std::string> lines;
    return settings.GetSection(kSharesSection, lines);
}

bool MarkFirstRunDone(utilcpp::CParseini& settings) {
    return settings.SetInt(kGlobalSection, "firstinstalled", 1);
}

std::string ConfiguredHostName(const utilcpp::CParseini& settings) {
    return LoadOptions(settings).hostName;
}

bool RunFirstRun(utilcpp::CParseini& settings, const std::function<bool()>& runWizard) {
    const bool done = HasAnyShare(settings) || (runWizard && runWizard());
    MarkFirstRunDone(settings);
    return done;
}

}  // namespace ui
