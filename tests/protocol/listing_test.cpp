#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "protocol/request_protocol.h"

namespace proto {
namespace {

using Entries = std::vector<DirEntry>;

TEST(ListingEncode, ShareListIsNameFolderZero) {
    EXPECT_EQ(EncodeListing({}), "");
    EXPECT_EQ(EncodeListing({{"music", 0, true}}), "music\\1\\0");
    EXPECT_EQ(EncodeListing({{"music", 0, true}, {"video", 0, true}}), "music\\1\\0\\video\\1\\0");
}

TEST(ListingEncode, FolderOfFileAndSubfolderKeepsOrder) {
    EXPECT_EQ(EncodeListing({{"a.txt", 5, false}, {"sub", 0, true}}), "a.txt\\0\\5\\sub\\1\\0");
    EXPECT_EQ(EncodeListing({{"sub", 0, true}, {"a.txt", 5, false}}), "sub\\1\\0\\a.txt\\0\\5");
}

TEST(ListingEncode, LeavesOutDotNamesAndNamesWithBackslash) {
    EXPECT_EQ(EncodeListing({{".", 0, true}, {"..", 0, true}, {"x", 1, false}}), "x\\0\\1");
    EXPECT_EQ(EncodeListing({{"a\\b", 3, false}, {"c", 4, false}}), "c\\0\\4");
    EXPECT_EQ(EncodeListing({{".", 0, true}, {"a\\b", 0, true}}), "");
    // Names that only look like dot names are ordinary names.
    EXPECT_EQ(EncodeListing({{"...", 0, true}, {".hidden", 2, false}}), "...\\1\\0\\.hidden\\0\\2");
}

TEST(ListingEncode, FolderSizeIsZeroAndLargeSizesAreExact) {
    EXPECT_EQ(EncodeListing({{"dir", 4096, true}}), "dir\\1\\0");
    EXPECT_EQ(EncodeListing({{"big", std::numeric_limits<std::int64_t>::max(), false}}),
              "big\\0\\9223372036854775807");
    EXPECT_EQ(EncodeListing({{"neg", -7, false}}), "neg\\0\\0");
}

TEST(ListingParse, ReadsEntriesInOrder) {
    EXPECT_EQ(ParseListing("a.txt\\0\\5\\sub\\1\\0"),
              (Entries{{"a.txt", 5, false}, {"sub", 0, true}}));
    EXPECT_EQ(ParseListing("music\\1\\0"), (Entries{{"music", 0, true}}));
    EXPECT_TRUE(ParseListing("").empty());
}

TEST(ListingParse, DropsDotEntries) {
    EXPECT_EQ(ParseListing(".\\1\\0\\..\\1\\0\\f\\0\\3"), (Entries{{"f", 3, false}}));
}

TEST(ListingParse, FolderFlagIsExactlyOne) {
    EXPECT_EQ(
        ParseListing("a\\1\\0\\b\\01\\0\\c\\2\\0\\d\\ 1\\0\\e\\\\0"),
        (Entries{
            {"a", 0, true}, {"b", 0, false}, {"c", 0, false}, {"d", 0, false}, {"e", 0, false}}));
}

TEST(ListingParse, SizeIsLenientSigned64Decimal) {
    EXPECT_EQ(ParseListing("a\\0\\")[0].size, 0);
    EXPECT_EQ(ParseListing("a\\0\\abc")[0].size, 0);
    EXPECT_EQ(ParseListing("a\\0\\12abc")[0].size, 12);
    EXPECT_EQ(ParseListing("a\\0\\  42")[0].size, 42);
    EXPECT_EQ(ParseListing("a\\0\\-42")[0].size, -42);
    EXPECT_EQ(ParseListing("a\\0\\+42")[0].size, 42);
    EXPECT_EQ(ParseListing("a\\0\\- 42")[0].size, 0);
    EXPECT_EQ(ParseListing("a\\0\\9223372036854775807")[0].size,
              std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(ParseListing("a\\0\\-9223372036854775808")[0].size,
              std::numeric_limits<std::int64_t>::min());
    // Beyond the range the value saturates rather than wrapping around.
    EXPECT_EQ(ParseListing("a\\0\\9223372036854775808")[0].size,
              std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(ParseListing("a\\0\\99999999999999999999999999")[0].size,
              std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(ParseListing("a\\0\\-99999999999999999999999999")[0].size,
              std::numeric_limits<std::int64_t>::min());
}

TEST(ListingParse, TruncatedPayloadsFillMissingFieldsWithDefaults) {
    EXPECT_EQ(ParseListing("name"), (Entries{{"name", 0, false}}));
    EXPECT_EQ(ParseListing("name\\1"), (Entries{{"name", 0, true}}));
    EXPECT_EQ(ParseListing("a\\0\\5\\b"), (Entries{{"a", 5, false}, {"b", 0, false}}));
    // A trailing backslash is consumed with the last field and starts no further entry.
    EXPECT_EQ(ParseListing("a\\0\\5\\"), (Entries{{"a", 5, false}}));
    EXPECT_EQ(ParseListing("\\"), (Entries{{"", 0, false}}));
    EXPECT_EQ(ParseListing("\\\\\\\\"), (Entries{{"", 0, false}, {"", 0, false}}));
}

TEST(ListingParse, ManyEntriesAllArrive) {
    constexpr int kCount = 100'000;
    Entries sent;
    sent.reserve(kCount);
    for (int i = 0; i < kCount; ++i) sent.push_back({"f" + std::to_string(i), i, (i % 7) == 0});
    for (auto& entry : sent)
        if (entry.folder) entry.size = 0;
    EXPECT_EQ(ParseListing(EncodeListing(sent)), sent);
}

TEST(ListingParse, HostileFloodOfEmptyEntriesStopsAtTheEntryLimit) {
    // Three bytes each on the wire, a whole DirEntry each in memory.
    std::string payload;
    for (std::size_t i = 0; i < kMaxListingEntries + 10; ++i) payload += "\\\\\\";
    const Entries entries = ParseListing(payload);
    ASSERT_EQ(entries.size(), kMaxListingEntries);
    EXPECT_EQ(entries.front(), (DirEntry{"", 0, false}));
    EXPECT_EQ(entries.back(), (DirEntry{"", 0, false}));
}

}  // namespace
}  // namespace proto
