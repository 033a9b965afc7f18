#include <gtest/gtest.h>

#include "server/share_index.h"
#include "support/temp_folder.h"

namespace server {
namespace {

TEST(MatchesPattern, StarsAndQuestionMarks) {
    EXPECT_TRUE(MatchesPattern("*.mp3", "live.mp3"));
    EXPECT_FALSE(MatchesPattern("*.mp3", "live.mp3.part"));
    EXPECT_TRUE(MatchesPattern("l?ve*", "live.mp3"));
    EXPECT_TRUE(MatchesPattern("*", ""));
    EXPECT_FALSE(MatchesPattern("?", ""));
    EXPECT_TRUE(MatchesPattern("a*b*c", "axxbyyc"));
    // Many stars against a long name that nearly matches stay fast (no exponential backtracking).
    EXPECT_FALSE(MatchesPattern("*a*a*a*a*a*a*a*a*b", std::string(5000, 'a')));
}

TEST(ShareIndex, SubstringAndPatternSearchWithPathsSizesAndCap) {
    ShareIndex index;
    const auto music = index.Add(ShareIndex::kNoParent, "Music", 0, true);
    const auto live = index.Add(music, "Live 2024", 0, true);
    index.Add(live, "Opening.MP3", 4000, false);
    index.Add(music, "notes.txt", 12, false);
    EXPECT_EQ(index.Add(music, "bad\\name", 1, false), ShareIndex::kNoParent);
    EXPECT_EQ(index.Add(99, "orphan", 1, false), ShareIndex::kNoParent);

    const SearchResult byCase = index.Search("opening");
    ASSERT_EQ(byCase.hits.size(), 1u);
    EXPECT_EQ(byCase.hits[0].path, "\\Music\\Live 2024\\Opening.MP3");
    EXPECT_EQ(byCase.hits[0].size, 4000);
    EXPECT_FALSE(byCase.hits[0].folder);
    const SearchResult folders = index.Search("live");
    ASSERT_EQ(folders.hits.size(), 1u);
    EXPECT_TRUE(folders.hits[0].folder);
    EXPECT_EQ(index.Search("*.mp3").hits.size(), 1u);
    EXPECT_EQ(index.Search("*.txt").hits[0].path, "\\Music\\notes.txt");
    EXPECT_TRUE(index.Search("").hits.empty());
    // Patterns match the whole name: their fixed start, end and length all count.
    EXPECT_EQ(index.Search("OP*.mp3").hits.size(), 1u);
    EXPECT_TRUE(index.Search("pening*.mp3").hits.empty());
    EXPECT_TRUE(index.Search("*.mp").hits.empty());
    EXPECT_EQ(index.Search("?????").hits[0].path, "\\Music");
    EXPECT_EQ(index.Search("*e*n*").hits.size(), 1u);  // notes.txt has no "n" after its "e"
    EXPECT_EQ(index.Search("l?ve ????").hits.size(), 1u);
    EXPECT_TRUE(index.Search("l?ve ???").hits.empty());
    EXPECT_EQ(index.Search("*").hits.size(), 4u);
    // A substring in one name is found once, however often it occurs in it.
    EXPECT_EQ(index.Search("e").hits.size(), 3u);  // Live 2024, Opening.MP3, notes.txt

    ShareIndex many;
    const auto root = many.Add(ShareIndex::kNoParent, "S", 0, true);
    for (int i = 0; i < 2500; ++i) many.Add(root, "file" + std::to_string(i), i, false);
    const SearchResult capped = many.Search("file");
    EXPECT_EQ(capped.hits.size(), ShareIndex::kResultCap);
    EXPECT_EQ(capped.leftOut, 1500u);
    many.maxEntries = many.Size();
    EXPECT_EQ(many.Add(root, "one-more", 1, false), ShareIndex::kNoParent);
}

TEST(ShareIndex, WalksAShareWithoutLeavingIt) {
    testing_support::TempFolder folder;
    folder.MakeFile("share/a/deep.bin", "12345");
    folder.MakeFile("outside.bin", "x");
    std::filesystem::create_directory_symlink(folder.Path(), folder.Path("share/loop"));
    ShareIndex index;
    EXPECT_EQ(index.AddShare("Docs", folder.Path("share")), 3u);  // Docs, a, deep.bin
    const SearchResult deep = index.Search("deep");
    ASSERT_EQ(deep.hits.size(), 1u);
    EXPECT_EQ(deep.hits[0].path, "\\Docs\\a\\deep.bin");
    EXPECT_EQ(deep.hits[0].size, 5);
    EXPECT_TRUE(index.Search("outside").hits.empty()) << "the link is not followed";
}

}  // namespace
}  // namespace server
