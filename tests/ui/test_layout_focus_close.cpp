#include <gtest/gtest.h>

#include "ui/close_rules.h"
#include "ui/focus_order.h"

namespace ui {
namespace {

TEST(FocusOrderTest, ForwardRing) {
    EXPECT_EQ(NextFocus(FocusTarget::MainWindow, true), FocusTarget::Tree);
    EXPECT_EQ(NextFocus(FocusTarget::Tree, true), FocusTarget::FileList);
    EXPECT_EQ(NextFocus(FocusTarget::FileList, true), FocusTarget::ChatInput);
    EXPECT_EQ(NextFocus(FocusTarget::ChatInput, true), FocusTarget::SendButton);
    EXPECT_EQ(NextFocus(FocusTarget::SendButton, true), FocusTarget::TransferList);
    EXPECT_EQ(NextFocus(FocusTarget::TransferList, true), FocusTarget::Tree);
}

TEST(FocusOrderTest, BackwardUndoesForwardInsideTheRing) {
    for (const FocusTarget target :
         {FocusTarget::Tree, FocusTarget::FileList, FocusTarget::ChatInput, FocusTarget::SendButton,
          FocusTarget::TransferList}) {
        EXPECT_EQ(NextFocus(NextFocus(target, true), false), target);
        EXPECT_EQ(NextFocus(NextFocus(target, false), true), target);
    }
    EXPECT_EQ(NextFocus(FocusTarget::MainWindow, false), FocusTarget::TransferList);
}

TEST(FocusOrderTest, ControlsOutsideTheRingLoseTheFocus) {
    EXPECT_EQ(NextFocus(FocusTarget::Other, true), FocusTarget::None);
    EXPECT_EQ(NextFocus(FocusTarget::Other, false), FocusTarget::None);
    EXPECT_EQ(NextFocus(FocusTarget::None, true), FocusTarget::None);
}

TEST(FocusOrderTest, OnlyTheListsSelectAFirstRow) {
    EXPECT_TRUE(SelectsFirstRowOnFocus(FocusTarget::FileList));
    EXPECT_TRUE(SelectsFirstRowOnFocus(FocusTarget::TransferList));
    EXPECT_FALSE(SelectsFirstRowOnFocus(FocusTarget::Tree));
    EXPECT_FALSE(SelectsFirstRowOnFocus(FocusTarget::ChatInput));
}

TEST(CloseRulesTest, AnyRunningTransferMakesClosingAsk) {
    EXPECT_FALSE(CloseNeedsQuestion({}));
    EXPECT_TRUE(CloseNeedsQuestion({1, 0, 0}));
    EXPECT_TRUE(CloseNeedsQuestion({0, 1, 0}));
    EXPECT_TRUE(CloseNeedsQuestion({0, 0, 1}));
}

TEST(CloseRulesTest, FolderDownloadsDoNotHoldBackStandby) {
    EXPECT_FALSE(StandbyNeedsQuestion({0, 0, 3}));
    EXPECT_TRUE(StandbyNeedsQuestion({1, 0, 0}));
    EXPECT_TRUE(StandbyNeedsQuestion({0, 2, 0}));
}

TEST(CloseRulesTest, OnlyYesGoesAheadAfterAQuestion) {
    EXPECT_TRUE(MayProceed(false, Answer::No));
    EXPECT_TRUE(MayProceed(true, Answer::Yes));
    EXPECT_FALSE(MayProceed(true, Answer::No));
    EXPECT_FALSE(MayProceed(true, Answer::Cancel));
}

}  // namespace
}  // namespace ui
