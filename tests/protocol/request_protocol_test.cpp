#include "protocol/request_protocol.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <tuple>

namespace proto {
namespace {

TEST(RequestLine, SplitsAtTheFirstColonOnly) {
    EXPECT_EQ(BuildRequest("expand", ""), "expand:");
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"retrieve:\\docs\\a:b.txt", "retrieve", "\\docs\\a:b.txt"},
        {"expand", "expand", ""},
        {":x:y", "", "x:y"}};
    for (const auto& [line, jobWord, argument] : cases) {
        const RequestLine split = SplitRequest(line);
        EXPECT_EQ(split.jobWord, jobWord) << line;
        EXPECT_EQ(split.argument, argument) << line;
    }
}

using Entries = std::vector<DirEntry>;
constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();

TEST(ListingParse, EntriesDotsFlagsAndTruncatedPayloads) {
    const std::pair<const char*, Entries> cases[] = {
        {".\\1\\0\\..\\1\\0\\f\\0\\3", {{"f", 3, false}}},
        // The folder flag is exactly "1".
        {"b\\01\\0\\c\\2\\0\\d\\ 1\\0\\e\\\\0",
         {{"b", 0, false}, {"c", 0, false}, {"d", 0, false}, {"e", 0, false}}},
        // Missing fields take defaults; a trailing backslash starts no further entry.
        {"name\\1", {{"name", 0, true}}},
        {"a\\0\\5\\b", {{"a", 5, false}, {"b", 0, false}}},
        {"a\\0\\5\\", {{"a", 5, false}}},
        {"\\", {{"", 0, false}}}};
    for (const auto& [payload, expected] : cases)
        EXPECT_EQ(ParseListing(payload), expected) << payload;
}

TEST(ListingParse, SizeIsLenientSaturatingSigned64Decimal) {
    const std::int64_t expected[] = {0, 12, 42, -42, 0, kMax, kMin, kMax, kMin};
    const std::int64_t* next = expected;
    for (const char* size :
         {"abc", "12abc", "  42", "-42", "- 42", "9223372036854775807", "-9223372036854775808",
          "9223372036854775808", "-99999999999999999999999999"}) {
        EXPECT_EQ(ParseListing(std::string("a\\0\\") + size).at(0).size, *next++) << size;
    }
}

TEST(ListingParse, ManyEntriesArriveAndAFloodStopsAtTheEntryLimit) {
    Entries sent;
    for (int i = 0; i < 100'000; ++i)
        sent.push_back({"f" + std::to_string(i), i % 7 ? i : 0, i % 7 == 0});
    EXPECT_EQ(ParseListing(EncodeListing(sent)), sent);
    // Three bytes each on the wire, a whole entry each in memory.
    std::string flood;
    for (std::size_t i = 0; i < kMaxListingEntries + 10; ++i) flood += "\\\\\\";
    const Entries entries = ParseListing(flood);
    ASSERT_EQ(entries.size(), kMaxListingEntries);
    EXPECT_EQ(entries.back(), (DirEntry{"", 0, false}));
    // Entries beyond a limit are counted, so that the reader can say the listing was cut.
    std::size_t leftOut = 7;
    EXPECT_EQ(ParseListing("a\\0\\1\\..\\1\\0\\b\\0\\2\\c\\1\\0", 1, &leftOut),
              (Entries{{"a", 1, false}}));
    EXPECT_EQ(leftOut, 2u);
    ParseListing(EncodeListing(sent), sent.size(), &leftOut);
    EXPECT_EQ(leftOut, 0u);
}

constexpr const char* kVersion = "3.0 14:03:27 21.11.2005 ";

TEST(HostInfoText, EncodedBasicAndExtendedAndReadBack) {
    EXPECT_EQ(EncodeHostInfo("alpha", kVersion), "alpha\n3.0 14:03:27 21.11.2005 \n");
    const std::string extended = EncodeHostInfoEx("alpha", kVersion, "WinNT.5.1.2600#SP2");
    EXPECT_EQ(extended, "alpha\n3.0 14:03:27 21.11.2005 WinNT.5.1.2600#SP2 \n");
    EXPECT_EQ(ParseHostInfo(extended, true),
              (HostInfo{"alpha", "3.0", "21.11.2005", "14:03:27", "WinNT.5.1.2600#SP2"}));
    // The basic reading of the same text ignores the system field.
    EXPECT_EQ(ParseHostInfo(extended, false),
              (HostInfo{"alpha", "3.0", "21.11.2005", "14:03:27", ""}));
}

// Each field needs the separator after it; a separator inside a field splits it there.
TEST(HostInfoText, MissingOrMisplacedSeparatorsLeaveFieldsEmpty) {
    const std::tuple<const char*, bool, HostInfo> cases[] = {
        {"alpha", true, {}},
        {"alpha\n3.0 14:03:27 21.11.2005 ", false, {"alpha", "", "", "", ""}},
        {"alpha\n3.0 14:03:27 21.11.2005 Linux\n",
         true,
         {"alpha", "3.0", "21.11.2005", "14:03:27", ""}},
        {"al\npha\n3.0 1 2 \n", false, {"al", "", "", "", ""}},
        {"al\n3.0 beta 14:03:27 21.11.2005 \n",
         true,
         {"al", "3.0", "14:03:27", "beta", "21.11.2005"}}};
    for (const auto& [payload, extended, expected] : cases) {
        EXPECT_EQ(ParseHostInfo(payload, extended), expected) << payload;
    }
}

}  // namespace
}  // namespace proto
