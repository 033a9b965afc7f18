// Saving and restoring the main window's position, size and state in the settings file, and the
// arithmetic that centres a window over its owner inside the visible work area.
#pragma once

#include <optional>
#include <string>

#include "core/parseini.h"
#include "ui/desktop/geometry.h"

namespace ui {

// Which state keys are kept (bit set). Position and size are always kept.
enum PlacementFlag : unsigned {
    kPlacementMinimized = 1,
    kPlacementMaximized = 2,
    kPlacementHidden = 4,
    kPlacementTopMost = 8,
    kPlacementActivate = 16,  // restore only: show the window activated
};
inline constexpr unsigned kMainWindowSaveFlags = 1 | 2 | 4 | 8;
inline constexpr unsigned kMainWindowRestoreFlags = 1 | 2 | 4 | 8 | 16;

struct WindowPlacement {
    Rect normal;  // the restored (not minimized, not maximized) rectangle, screen pixels
    bool minimized = false;
    bool maximized = false;
    bool hidden = false;
    bool topMost = false;
    bool operator==(const WindowPlacement&) const = default;
};

// Writes "XPos", "YPos", "XSize", "YSize" and, for each state flag that is set, its key
// ("IsMinimized", "IsMaximized", "IsHidden", "IsTopMost" as 0/1); state keys whose flag is clear
// are deleted. False if any write failed.
bool SavePlacement(utilcpp::CParseini& settings, const std::string& section,
                   const WindowPlacement& placement, unsigned flags);

// The stored placement, or nothing when no usable size is stored (the caller then picks its own
// default). State keys whose flag is clear read as 0. The position is not clamped to any screen.
std::optional<WindowPlacement> LoadPlacement(const utilcpp::CParseini& settings,
                                             const std::string& section, unsigned flags);

enum class ShowMode {
    LeaveHidden,
    Maximized,
    Minimized,
    Normal,            // shown and activated
    NormalNoActivate,  // shown without taking the focus
};

// How a restored window is shown; topMost is applied separately, without moving or activating.
ShowMode RestoreShowMode(const WindowPlacement& placement, unsigned flags);

// The main window's size when nothing was stored.
inline constexpr Size kDefaultMainWindowSize{850, 600};

struct CentringInput {
    Rect window;                // the window to move; only its size matters
    Rect workArea;              // usable area of the monitor that holds the window
    Rect primaryWorkArea;       // reference without an owner
    std::optional<Rect> owner;  // reference with an owner
    Size smallIcon{16, 16};     // minimal offset from the owner's top-left corner
};

// Top-left corner for the window: centred on the owner (or the primary work area), at least one
// small icon right of and below the owner's corner, then moved into the work area; where the
// window is larger than the work area its left and top edges stay visible.
Point CentredPosition(const CentringInput& input);

// The first-start rectangle: 850 x 600 centred in the primary work area.
Rect DefaultMainWindowRect(const Rect& primaryWorkArea);

}  // namespace ui
