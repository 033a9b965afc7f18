#include <gtest/gtest.h>

#include <filesystem>

#include "core/parseini.h"
#include "support/ui_pure_sandbox.h"
#include "ui/share_checks.h"

namespace ui {
namespace {

using Lines = std::vector<std::string>;

class ShareChecksTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(sandbox_.Valid());
        folder_ = sandbox_.MakeFolder("Music");
        file_ = sandbox_.MakeFile("notes.txt");
    }
    Lines Shares() const {
        Lines lines;
        settings_.GetSection("shares", lines);
        return lines;
    }

    testing_support::Sandbox sandbox_;
    utilcpp::CParseini settings_{sandbox_.IniPath()};
    std::string folder_;
    std::string file_;
};

TEST_F(ShareChecksTest, ChecksComeInOrder) {
    EXPECT_EQ(CheckShare("", ""), ShareProblem::NameOrPathEmpty);
    EXPECT_EQ(CheckShare("docs", ""), ShareProblem::NameOrPathEmpty);
    // An empty path is reported before the backslash in the name.
    EXPECT_EQ(CheckShare("docs\\old", ""), ShareProblem::NameOrPathEmpty);
    EXPECT_EQ(CheckShare("docs\\old", folder_), ShareProblem::BackslashInName);
    EXPECT_EQ(CheckShare("docs\\old", sandbox_.Path("missing")), ShareProblem::BackslashInName);
    EXPECT_EQ(CheckShare("docs", file_), ShareProblem::PathNotAFolder);
    EXPECT_EQ(CheckShare("docs", sandbox_.Path("missing")), ShareProblem::PathNotAFolder);
    EXPECT_EQ(CheckShare("docs", folder_), ShareProblem::None);
    // Names are taken as they are: blanks and other hosts' conventions are fine.
    EXPECT_EQ(CheckShare(" ", folder_), ShareProblem::None);
    EXPECT_EQ(CheckShare("a/b", folder_), ShareProblem::None);
}

TEST_F(ShareChecksTest, EachProblemHasItsMessage) {
    EXPECT_EQ(ShareProblemMessage(ShareProblem::NameOrPathEmpty),
              StringId::ShareNameAndPathMissing);
    EXPECT_EQ(ShareProblemMessage(ShareProblem::BackslashInName), StringId::ShareNameBackslash);
    EXPECT_EQ(ShareProblemMessage(ShareProblem::PathNotAFolder), StringId::SharePathInvalid);
    EXPECT_FALSE(ShareProblemMessage(ShareProblem::None).has_value());
    EXPECT_STREQ(Text(StringId::ShareNameBackslash, Language::English),
                 "Please do not use the '\\' character in your share name.");
}

TEST_F(ShareChecksTest, FolderTestFollowsLinks) {
    std::filesystem::create_directory_symlink(folder_, sandbox_.Path("to-folder"));
    std::filesystem::create_symlink(file_, sandbox_.Path("to-file"));
    std::filesystem::create_symlink(sandbox_.Path("gone"), sandbox_.Path("dangling"));
    EXPECT_TRUE(IsExistingFolder(sandbox_.Path("to-folder")));
    EXPECT_TRUE(IsExistingFolder(folder_ + "/"));
    EXPECT_FALSE(IsExistingFolder(sandbox_.Path("to-file")));
    EXPECT_FALSE(IsExistingFolder(sandbox_.Path("dangling")));
    EXPECT_FALSE(IsExistingFolder(""));
}

TEST_F(ShareChecksTest, DroppedFolderProposesItsLastName) {
    EXPECT_EQ(ProposeShareNameForDrop("/home/ann/Photos"), "Photos");
    EXPECT_EQ(ProposeShareNameForDrop("D:\\Data\\Photos"), "Photos");
    EXPECT_EQ(ProposeShareNameForDrop("Photos"), "Photos");
    // A root has no last name: the whole path is proposed (and must be changed by the user when
    // it holds a backslash).
    EXPECT_EQ(ProposeShareNameForDrop("D:\\"), "D:\\");
    EXPECT_EQ(ProposeShareNameForDrop("/"), "/");
    EXPECT_EQ(CheckShare(ProposeShareNameForDrop("D:\\"), folder_), ShareProblem::BackslashInName);
}

TEST_F(ShareChecksTest, AddingAnExistingNameReplacesItsPath) {
    const std::string other = sandbox_.MakeFolder("Other");
    ASSERT_TRUE(WriteNewShare(settings_, "Music", folder_));
    ASSERT_TRUE(WriteNewShare(settings_, "Music", other));
    EXPECT_EQ(Shares(), (Lines{"Music=" + other}));
}

TEST_F(ShareChecksTest, RenamingLeavesOnlyTheNewKey) {
    WriteNewShare(settings_, "Docs", file_);
    WriteNewShare(settings_, "Music", folder_);
    const std::string songs = sandbox_.MakeFolder("Songs");
    ASSERT_TRUE(WriteEditedShare(settings_, "Music", "Songs", songs));
    EXPECT_EQ(Shares(), (Lines{"Docs=" + file_, "Songs=" + songs}));
    // An unchanged name is rewritten with the edited path.
    ASSERT_TRUE(WriteEditedShare(settings_, "Songs", "Songs", folder_));
    EXPECT_EQ(Shares(), (Lines{"Docs=" + file_, "Songs=" + folder_}));
}

}  // namespace
}  // namespace ui
