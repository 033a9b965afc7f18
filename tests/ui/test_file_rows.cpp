#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <limits>

#include "ui/file_list_rows.h"
#include "ui/number_format.h"

namespace ui {
namespace {

NumberFormat English() {
    return {".", ",", "\3", 2};
}
NumberFormat German() {
    return {",", ".", "\3", 2};
}

TEST(KilobyteTest, RoundsUp) {
    EXPECT_EQ(SizeInKilobytes(0), 0);
    EXPECT_EQ(SizeInKilobytes(1), 1);
    EXPECT_EQ(SizeInKilobytes(1023), 1);
    EXPECT_EQ(SizeInKilobytes(1024), 1);
    EXPECT_EQ(SizeInKilobytes(1025), 2);
    EXPECT_EQ(SizeInKilobytes(5LL * 1024 * 1024 * 1024), 5LL * 1024 * 1024);
}

TEST(KilobyteTest, ExtremesNeitherOverflowNorGoNegative) {
    EXPECT_EQ(SizeInKilobytes(std::numeric_limits<std::int64_t>::max()), 9007199254740992LL);
    EXPECT_EQ(SizeInKilobytes(-1), 0);
    EXPECT_EQ(SizeInKilobytes(std::numeric_limits<std::int64_t>::min()), 0);
}

TEST(FileRowTest, FilesShowKilobytesInTheUsersFormat) {
    EXPECT_EQ(SizeColumnText(EntryKind::File, 1, English()), "1.00 kB");
    EXPECT_EQ(SizeColumnText(EntryKind::File, 0, English()), "0.00 kB");
    EXPECT_EQ(SizeColumnText(EntryKind::File, 1025, English()), "2.00 kB");
    EXPECT_EQ(SizeColumnText(EntryKind::File, 1234567LL * 1024, English()), "1,234,567.00 kB");
    EXPECT_EQ(SizeColumnText(EntryKind::File, 1234567LL * 1024, German()), "1.234.567,00 kB");
    NumberFormat wholeNumbers = English();
    wholeNumbers.fractionDigits = 0;
    EXPECT_EQ(SizeColumnText(EntryKind::File, 4096, wholeNumbers), "4 kB");
}

TEST(FileRowTest, FoldersAndSharesHaveNoSizeAndTheirOwnImages) {
    const FileListRow folder = MakeFileListRow("Live", EntryKind::Folder, 4096, English());
    EXPECT_EQ(folder.name, "Live");
    EXPECT_EQ(folder.sizeText, "");
    EXPECT_EQ(folder.image, kImageFolder);
    const FileListRow share = MakeFileListRow("Music", EntryKind::Share, 0, English());
    EXPECT_EQ(share.sizeText, "");
    EXPECT_EQ(share.image, kImageShare);
    EXPECT_EQ(MakeFileListRow("a.mp3", EntryKind::File, 10, English()).image, kImageFile);
}

TEST(NumberFormatTest, RoundsHalfAwayFromZeroOnTheDecimalText) {
    EXPECT_EQ(FormatDecimalText("0.005000", English()), "0.01");
    EXPECT_EQ(FormatDecimalText("0.004999", English()), "0.00");
    EXPECT_EQ(FormatDecimalText("9.995", English()), "10.00");
    EXPECT_EQ(FormatDecimalText("999.999", English()), "1,000.00");
    EXPECT_EQ(FormatDecimalText("-1234.5", English()), "-1,234.50");
    EXPECT_EQ(FormatDecimalText("-0.001", English()), "0.00");
    EXPECT_EQ(FormatDecimalText("12", English()), "12.00");
}

TEST(NumberFormatTest, FollowsTheGroupingRules) {
    NumberFormat format = English();
    format.fractionDigits = 0;
    EXPECT_EQ(FormatDecimalText("123", format), "123");
    EXPECT_EQ(FormatDecimalText("1234", format), "1,234");
    format.grouping = "\3\2";
    EXPECT_EQ(FormatDecimalText("12345678", format), "1,23,45,678");
    format.grouping = "";
    EXPECT_EQ(FormatDecimalText("12345678", format), "12345678");
    format.grouping = std::string("\3") + static_cast<char>(CHAR_MAX);
    EXPECT_EQ(FormatDecimalText("12345678", format), "12345,678");
    format.grouping = "\3";
    format.thousandsSeparator = "\u202f";  // several bytes
    EXPECT_EQ(FormatDecimalText("1234567", format), "1\u202f234\u202f567");
}

TEST(NumberFormatTest, LeavesOtherTextAlone) {
    EXPECT_EQ(FormatDecimalText("abc", English()), "abc");
    EXPECT_EQ(FormatDecimalText("1e5", English()), "1e5");
    EXPECT_EQ(FormatDecimalText("", English()), "");
    EXPECT_EQ(FormatDecimalText("-", English()), "-");
}

TEST(NumberFormatTest, RateTextFitsItsSixteenByteBuffer) {
    EXPECT_EQ(FormatRate(0.0, English()), "0.00");
    EXPECT_EQ(FormatRate(1234.5678, German()), "1.234,57");
    EXPECT_EQ(FormatRate(12345678.9, English()), "12,345,678.90");
    // Grouped it would take 16 characters; the plain digits still fit.
    EXPECT_EQ(FormatRate(1234567890.0, English()), "1234567890.00");
    EXPECT_EQ(FormatRate(1e20, English()).size(), 15u);
}

TEST(FileListSortTest, ClicksToggleTheDirectionAndMoveTheMark) {
    FileListSort sort;
    EXPECT_EQ(sort.Column(), -1);

    FileListSort::Change change = sort.Click(0);
    EXPECT_FALSE(change.clearedColumn.has_value());
    EXPECT_EQ(change.markedColumn, 0);
    EXPECT_EQ(change.mark, SortMark::Ascending);

    change = sort.Click(0);
    EXPECT_FALSE(change.clearedColumn.has_value());
    EXPECT_EQ(change.mark, SortMark::Descending);
    EXPECT_FALSE(sort.Ascending());

    change = sort.Click(1);
    EXPECT_EQ(change.clearedColumn, 0);
    EXPECT_EQ(change.markedColumn, 1);
    EXPECT_EQ(change.mark, SortMark::Ascending);
    EXPECT_EQ(sort.Column(), 1);
    EXPECT_TRUE(sort.Ascending());

    EXPECT_EQ(LegacySortImage(true), 0);
    EXPECT_EQ(LegacySortImage(false), 1);
}

}  // namespace
}  // namespace ui
