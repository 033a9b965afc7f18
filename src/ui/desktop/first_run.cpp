#include "ui/desktop/first_run.h"

#include <vector>

#include "core/settings_keys.h"
#include "ui/desktop/layout_settings.h"
#include "ui/desktop/options_settings.h"
#include "ui/desktop/share_checks.h"

namespace ui {

namespace {

int ReadGlobalInt(const utilcpp::CParseini& settings, const char* key) {
    int value = 0;
    settings.GetInt(settings_keys::kGlobal, key, value, 0);
    return value;
}

}  // namespace

bool ShouldShowSplash(const utilcpp::CParseini& settings) {
    return ReadGlobalInt(settings, settings_keys::kSkipSplash) == 0;
}

bool ShouldOfferFirstRunWizard(const utilcpp::CParseini& settings) {
    return ReadGlobalInt(settings, settings_keys::kFirstInstalled) == 0;
}

bool HasAnyShare(const utilcpp::CParseini& settings) {
    return !utilcpp::ShareNames(settings).empty();
}

bool MarkFirstRunDone(utilcpp::CParseini& settings) {
    return settings.SetInt(settings_keys::kGlobal, settings_keys::kFirstInstalled, 1);
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
