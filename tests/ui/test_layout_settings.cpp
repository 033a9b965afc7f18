#include <gtest/gtest.h>

#include "core/parseini.h"
#include "support/ui_pure_sandbox.h"
#include "ui/layout_settings.h"

namespace ui {
namespace {

TEST(LayoutSettingsTest, EmptyFileGivesTheDefaults) {
    testing_support::Sandbox sandbox;
    ASSERT_TRUE(sandbox.Valid());
    const utilcpp::CParseini settings(sandbox.IniPath());
    const StoredLayout layout = LoadLayout(settings, {834, 540});
    EXPECT_EQ(layout.fileListColumns, (std::array<int, 2>{200, 100}));
    EXPECT_EQ(layout.transferListColumns, (std::array<int, 3>{200, 100, 100}));
    EXPECT_EQ(layout.panels, (PanelSizes{407, 360}));
}

TEST(LayoutSettingsTest, RoundTripKeepsColumnsAsStoredAndClampsPanels) {
    testing_support::Sandbox sandbox;
    utilcpp::CParseini settings(sandbox.IniPath());
    StoredLayout saved;
    saved.fileListColumns = {320, 5000};
    saved.transferListColumns = {1, 2, 3};
    saved.panels = {300, 5000};
    ASSERT_TRUE(SaveLayout(settings, saved));

    const StoredLayout loaded = LoadLayout(settings, {1000, 600});
    EXPECT_EQ(loaded.fileListColumns, saved.fileListColumns);
    EXPECT_EQ(loaded.transferListColumns, saved.transferListColumns);
    EXPECT_EQ(loaded.panels, (PanelSizes{300, 450}));

    int stored = 0;
    settings.GetInt("global", "columnwidthtransferviewstatus", stored, -1);
    EXPECT_EQ(stored, 2);
    settings.GetInt("GLOBAL", "BottomPanelHeight", stored, -1);
    EXPECT_EQ(stored, 5000);
}

}  // namespace
}  // namespace ui
