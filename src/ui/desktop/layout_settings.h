// The main window's persisted layout: the list column widths and the two panel sizes, kept in
// section "global" of the settings file.
#pragma once

#include <array>

#include "core/parseini.h"
#include "ui/desktop/geometry.h"
#include "ui/desktop/window_layout.h"
#include "ui/text/ui_strings.h"

namespace ui {

struct ColumnInfo {
    StringId title;
    bool rightAligned;
    int defaultWidth;
    const char* settingsKey;
};

inline constexpr std::array<ColumnInfo, 2> kFileListColumns{{
    {StringId::ColumnName, false, 200, "columnwidthlistviewname"},
    {StringId::ColumnSize, true, 100, "columnwidthlistviewsize"},
}};

inline constexpr std::array<ColumnInfo, 3> kTransferListColumns{{
    {StringId::ColumnName, false, 200, "columnwidthtransferviewname"},
    {StringId::ColumnStatus, true, 100, "columnwidthtransferviewstatus"},
    {StringId::ColumnHost, false, 100, "columnwidthtransferviewhost"},
}};

inline constexpr const char* kLeftPanelWidthKey = "leftpanelwidth";
inline constexpr const char* kBottomPanelHeightKey = "bottompanelheight";

struct StoredLayout {
    std::array<int, 2> fileListColumns{};
    std::array<int, 3> transferListColumns{};
    PanelSizes panels;
    bool operator==(const StoredLayout&) const = default;
};

// Reads the layout for a window whose client area has this size (after its placement was
// restored): missing keys take their defaults, the panel sizes are clamped to the window, column
// widths are used as stored.
StoredLayout LoadLayout(const utilcpp::CParseini& settings, Size client);

// Writes all seven keys; false if any write failed (nothing is retried).
bool SaveLayout(utilcpp::CParseini& settings, const StoredLayout& layout);

}  // namespace ui
