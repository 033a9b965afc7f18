// Start-up decisions around the splash screen and the first-run wizard.
#pragma once

#include <functional>
#include <string>

#include "core/parseini.h"

namespace ui {

inline constexpr int kSplashDurationMs = 2000;

// Unless "skipsplash" is set.
bool ShouldShowSplash(const utilcpp::CParseini& settings);

// While "firstinstalled" is 0.
bool ShouldOfferFirstRunWizard(const utilcpp::CParseini& settings);

// A computer that already shares something needs no wizard: it counts as finished.
bool HasAnyShare(const utilcpp::CParseini& settings);

// Called whatever the wizard's outcome, so that it is offered only once.
bool MarkFirstRunDone(utilcpp::CParseini& settings);

// What the first-run wizard (and the options page) show as the computer name: "hostname", with
// the machine's own name as default.
std::string ConfiguredHostName(const utilcpp::CParseini& settings);

// The first-run entry: runs the wizard (runWizard returns true on Finish) unless a share exists,
// then marks the first run done. True when a share existed or the wizard was finished.
bool RunFirstRun(utilcpp::CParseini& settings, const std::function<bool()>& runWizard);

}  // namespace ui
