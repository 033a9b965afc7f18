#include <gtest/gtest.h>

#include "ui/desktop/path_compaction.h"

namespace {

TEST(PathCompaction, KeepsWhatFitsAndTheLastComponentOfWhatDoesNot) {
    EXPECT_EQ(ui::CompactPath("/home/ann/Music", 24), "/home/ann/Music");
    EXPECT_EQ(ui::CompactPath("/home/ann/Downloads/2024/holiday", 24), "/home/ann/Dow.../holiday");
    // A last component too long for the room keeps its end.
    EXPECT_EQ(ui::CompactPath("/data/an-extremely-long-folder-name", 16), "...g-folder-name");
    // Characters, not bytes: a multi-byte name is neither cut inside a character nor cut early.
    EXPECT_EQ(ui::CompactPath("/home/\xc3\xa4\xc3\xa4\xc3\xa4\xc3\xa4/x/Musik", 17),
              "/home/\xc3\xa4\xc3\xa4.../Musik");
    EXPECT_EQ(ui::CompactPath("/home/\xc3\xa4\xc3\xa4", 8), "/home/\xc3\xa4\xc3\xa4");
}

}  // namespace
