// Sizes and rates in the user's number format, and paths cut to the room a menu has.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <limits>

#include "ui/controller/file_list_rows.h"
#include "ui/desktop/path_compaction.h"
#include "ui/text/number_format.h"

namespace ui {
namespace {

const NumberFormat kEnglish{".", ",", "\3", 2};

TEST(FileRowTest, KilobytesRoundUpWithoutOverflowOrNegativeSizes) {
    using Limits = std::numeric_limits<std::int64_t>;
    const std::pair<std::int64_t, std::int64_t> cases[] = {
        {1023, 1}, {1024, 1}, {1025, 2}, {Limits::max(), 9007199254740992LL}, {Limits::min(), 0}};
    for (const auto& [bytes, kilobytes] : cases)
        EXPECT_EQ(SizeInKilobytes(bytes), kilobytes) << bytes;
}

TEST(NumberFormatTest, RoundsHalfAwayFromZeroGroupsAndLeavesOtherTextAlone) {
    const std::string threeThenNone = std::string("\3") + static_cast<char>(CHAR_MAX);
    const std::tuple<const char*, NumberFormat, const char*> cases[] = {
        {"999.995", kEnglish, "1,000.00"},
        {"-0.001", kEnglish, "0.00"},
        {"12345678", {".", ",", "\3\2", 0}, "1,23,45,678"},
        {"12345678", {".", ",", threeThenNone, 0}, "12345,678"},
        {"1234567", {".", "\u202f", "\3", 0}, "1\u202f234\u202f567"},  // a 3-byte separator
        {"1e5", kEnglish, "1e5"}};
    for (const auto& [plain, format, shown] : cases)
        EXPECT_EQ(FormatDecimalText(plain, format), shown) << plain;
}

TEST(NumberFormatTest, RateTextFitsItsSixteenByteBuffer) {
    EXPECT_EQ(FormatRate(12345678.9, {",", ".", "\3", 2}), "12.345.678,90");
    // Grouped it would take 16 characters; the plain digits still fit.
    EXPECT_EQ(FormatRate(1234567890.0, kEnglish), "1234567890.00");
    EXPECT_EQ(FormatRate(1e20, kEnglish).size(), 15u);
}

TEST(PathCompaction, KeepsWhatFitsAndTheLastComponentOfWhatDoesNot) {
    EXPECT_EQ(CompactPath("/home/ann/Music", 24), "/home/ann/Music");
    EXPECT_EQ(CompactPath("/home/ann/Downloads/2024/holiday", 24), "/home/ann/Dow.../holiday");
    // A download folder ends in "/": the folder the files go to stays whole.
    EXPECT_EQ(CompactPath("/home/ann/Downloads/a_very_long_name/", 24), "/ho.../a_very_long_name/");
    // A last component too long for the room keeps its end.
    EXPECT_EQ(CompactPath("/data/an-extremely-long-folder-name", 16), "...g-folder-name");
    // Characters, not bytes: a multi-byte name is neither cut inside a character nor cut early.
    EXPECT_EQ(CompactPath("/home/\xc3\xa4\xc3\xa4\xc3\xa4\xc3\xa4/x/Musik", 17),
              "/home/\xc3\xa4\xc3\xa4.../Musik");
    EXPECT_EQ(CompactPath("/home/\xc3\xa4\xc3\xa4", 8), "/home/\xc3\xa4\xc3\xa4");
}

}  // namespace
}  // namespace ui
