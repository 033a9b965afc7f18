#include "ui/desktop/layout_settings.h"

#include "core/settings_keys.h"

namespace ui {

namespace {

int ReadInt(const utilcpp::CParseini& settings, const char* key, int fallback) {
    int value = fallback;
    settings.GetInt(settings_keys::kGlobal, key, value, fallback);
    return value;
}

}  // namespace

StoredLayout LoadLayout(const utilcpp::CParseini& settings, Size client) {
    StoredLayout layout;
    for (std::size_t i = 0; i < kFileListColumns.size(); ++i) {
        layout.fileListColumns[i] =
            ReadInt(settings, kFileListColumns[i].settingsKey, kFileListColumns[i].defaultWidth);
    }
    for (std::size_t i = 0; i < kTransferListColumns.size(); ++i) {
        layout.transferListColumns[i] = ReadInt(settings, kTransferListColumns[i].settingsKey,
                                                kTransferListColumns[i].defaultWidth);
    }
    const PanelSizes stored{
        ReadInt(settings, kLeftPanelWidthKey, DefaultLeftPanelWidth(client.width)),
        ReadInt(settings, kBottomPanelHeightKey, DefaultBottomPanelHeight(client.height))};
    layout.panels = ClampStoredPanels(stored, client);
    return layout;
}

bool SaveLayout(utilcpp::CParseini& settings, const StoredLayout& layout) {
    bool allWritten = true;
    for (std::size_t i = 0; i < kFileListColumns.size(); ++i) {
        allWritten &= settings.SetInt(settings_keys::kGlobal, kFileListColumns[i].settingsKey,
                                      layout.fileListColumns[i]);
    }
    for (std::size_t i = 0; i < kTransferListColumns.size(); ++i) {
        allWritten &= settings.SetInt(settings_keys::kGlobal, kTransferListColumns[i].settingsKey,
                                      layout.transferListColumns[i]);
    }
    allWritten &=
        settings.SetInt(settings_keys::kGlobal, kLeftPanelWidthKey, layout.panels.leftPanelWidth);
    allWritten &= settings.SetInt(settings_keys::kGlobal, kBottomPanelHeightKey,
                                  layout.panels.bottomPanelHeight);
    return allWritten;
}

}  // namespace ui
