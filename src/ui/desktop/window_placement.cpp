#include "ui/desktop/window_placement.h"

#include <algorithm>

namespace ui {

namespace {

struct StateKey {
    unsigned flag;
    const char* key;
    bool WindowPlacement::*field;
};

constexpr StateKey kStateKeys[] = {
    {kPlacementMinimized, "IsMinimized", &WindowPlacement::minimized},
    {kPlacementMaximized, "IsMaximized", &WindowPlacement::maximized},
    {kPlacementHidden, "IsHidden", &WindowPlacement::hidden},
    {kPlacementTopMost, "IsTopMost", &WindowPlacement::topMost},
};

int ReadInt(const utilcpp::CParseini& settings, const std::string& section, const char* key) {
    int value = 0;
    settings.GetInt(section, key, value, 0);
    return value;
}

// Pushes one axis of the window into [low, high); where it cannot fit, its start stays visible.
int ClampAxis(int start, int length, int low, int high) {
    if (start + length > high) start = high - length;
    if (start < low) start = low;
    return start;
}

}  // namespace

bool SavePlacement(utilcpp::CParseini& settings, const std::string& section,
                   const WindowPlacement& placement, unsigned flags) {
    bool allWritten = true;
    allWritten &= settings.SetInt(section, "XPos", placement.normal.x);
    allWritten &= settings.SetInt(section, "YPos", placement.normal.y);
    allWritten &= settings.SetInt(section, "XSize", placement.normal.width);
    allWritten &= settings.SetInt(section, "YSize", placement.normal.height);
    for (const StateKey& state : kStateKeys) {
        if (flags & state.flag) {
            allWritten &= settings.SetInt(section, state.key, placement.*state.field ? 1 : 0);
        } else {
            allWritten &= settings.DeleteKey(section, state.key);
        }
    }
    return allWritten;
}

std::optional<WindowPlacement> LoadPlacement(const utilcpp::CParseini& settings,
                                             const std::string& section, unsigned flags) {
    WindowPlacement placement;
    placement.normal = {ReadInt(settings, section, "XPos"), ReadInt(settings, section, "YPos"),
                        ReadInt(settings, section, "XSize"), ReadInt(settings, section, "YSize")};
    // A size of 0 means nothing was stored; a negative one can only come from a hand-edited
    // file and would give a window that cannot be seen, so it counts as nothing too.
    if (placement.normal.width <= 0 || placement.normal.height <= 0) return std::nullopt;
    for (const StateKey& state : kStateKeys) {
        if (flags & state.flag) placement.*state.field = ReadInt(settings, section, state.key) == 1;
    }
    return placement;
}

ShowMode RestoreShowMode(const WindowPlacement& placement, unsigned flags) {
    if (placement.hidden) return ShowMode::LeaveHidden;
    if (placement.maximized) return ShowMode::Maximized;
    if (placement.minimized) return ShowMode::Minimized;
    return (flags & kPlacementActivate) ? ShowMode::Normal : ShowMode::NormalNoActivate;
}

Point CentredPosition(const CentringInput& input) {
    const Rect& reference = input.owner ? *input.owner : input.primaryWorkArea;
    // Integer halves, rounded toward zero.
    Point corner{reference.x + (reference.width - input.window.width) / 2,
                 reference.y + (reference.height - input.window.height) / 2};
    if (input.owner) {
        corner.x = std::max(corner.x, input.owner->x + input.smallIcon.width);
        corner.y = std::max(corner.y, input.owner->y + input.smallIcon.height);
    }
    corner.x = ClampAxis(corner.x, input.window.width, input.workArea.x, input.workArea.Right());
    corner.y = ClampAxis(corner.y, input.window.height, input.workArea.y, input.workArea.Bottom());
    return corner;
}

Rect DefaultMainWindowRect(const Rect& primaryWorkArea) {
    CentringInput input;
    input.window = {0, 0, kDefaultMainWindowSize.width, kDefaultMainWindowSize.height};
    input.workArea = primaryWorkArea;
    input.primaryWorkArea = primaryWorkArea;
    const Point corner = CentredPosition(input);
    return {corner.x, corner.y, kDefaultMainWindowSize.width, kDefaultMainWindowSize.height};
}

}  // namespace ui
