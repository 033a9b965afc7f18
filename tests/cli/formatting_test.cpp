// Golden output of the texts the commands print: listings, sizes and progress lines.
#include <gtest/gtest.h>

#include "cli/listing_format.h"
#include "cli/progress_line.h"

namespace {

TEST(ListingFormat, FoldersFirstThenFilesEachByNameWithSummary) {
    const std::vector<DirEntry> listing = {
        {"zeta.txt", 5, false}, {"Live", 0, true},    {"album.flac", 4404019, false},
        {"empty", 0, false},    {"Archive", 0, true}, {"movie.mkv", 1610612736, false},
    };
    const std::string expected =
        "     <DIR>  Archive\n"
        "     <DIR>  Live\n"
        "   4.2 MiB  album.flac\n"
        "       0 B  empty\n"
        "   1.5 GiB  movie.mkv\n"
        "       5 B  zeta.txt\n"
        "2 folders, 4 files, 1.5 GiB\n";
    EXPECT_EQ(cli::FormatListing(listing), expected);
}

TEST(ListingFormat, EmptyAndSingularSummaries) {
    EXPECT_EQ(cli::FormatListing({}), "0 folders, 0 files, 0 B\n");
    EXPECT_EQ(cli::FormatListing({{"Music", 0, true}}),
              "     <DIR>  Music\n1 folder, 0 files, 0 B\n");
}

TEST(ListingFormat, ControlCharactersInNamesCannotReachTheTerminal) {
    const std::string out = cli::FormatListing({{"evil\x1b[2J\nname\x7f", 1, false}});
    EXPECT_EQ(out, "       1 B  evil?[2J?name?\n0 folders, 1 file, 1 B\n");
}

TEST(ListingFormat, ClaimedSizesThatOverflowTheTotalSaturate) {
    const std::int64_t huge = std::numeric_limits<std::int64_t>::max();
    const std::string out = cli::FormatListing({{"a", huge, false}, {"b", huge, false}});
    EXPECT_NE(out.find("2 files, 8.0 EiB"), std::string::npos) << out;
}

TEST(SizeFormat, UnitBoundaries) {
    EXPECT_EQ(cli::FormatSize(0), "0 B");
    EXPECT_EQ(cli::FormatSize(-5), "0 B");
    EXPECT_EQ(cli::FormatSize(1023), "1023 B");
    EXPECT_EQ(cli::FormatSize(1024), "1.0 KiB");
    EXPECT_EQ(cli::FormatSize(1536), "1.5 KiB");
    // Rounding up to the next unit shows the next unit, never "1024.0 KiB".
    EXPECT_EQ(cli::FormatSize(1048575), "1.0 MiB");
    EXPECT_EQ(cli::FormatSize(1048576), "1.0 MiB");
    EXPECT_EQ(cli::FormatSize(4LL << 30), "4.0 GiB");
    EXPECT_EQ(cli::FormatSize(3LL << 40), "3.0 TiB");
}

TEST(ProgressLine, ShowsBarPercentSpeedTimeLeftAndFiles) {
    cli::ProgressState state{"Live/a.mp3", 50, 1024.0, 4 << 20, 2, 7};
    // 2 MiB left at 1 MiB/s.
    EXPECT_EQ(cli::FormatProgressLine(state, 100),
              "Live/a.mp3 [##########----------]  50% 1.0 MiB/s ETA 0:02 [2/7]");
    state.speedKBs = 0;
    EXPECT_EQ(cli::FormatProgressLine(state, 100),
              "Live/a.mp3 [##########----------]  50% 0 B/s ETA --:-- [2/7]");
}

TEST(ProgressLine, LongNamesAreShortenedFromTheStartToFit) {
    cli::ProgressState state{std::string(200, 'n') + "/end.bin", 100, 10, 10, 1, 1};
    const std::string line = cli::FormatProgressLine(state, 80);
    EXPECT_EQ(line.size(), 80u);
    EXPECT_EQ(line.rfind("...", 0), 0u);
    EXPECT_NE(line.find("end.bin [####################] 100%"), std::string::npos) << line;
}

TEST(ProgressLine, DurationFormats) {
    EXPECT_EQ(cli::FormatDuration(0), "0:00");
    EXPECT_EQ(cli::FormatDuration(65), "1:05");
    EXPECT_EQ(cli::FormatDuration(3723), "1:02:03");
    EXPECT_EQ(cli::FormatDuration(-1), "--:--");
    EXPECT_EQ(cli::FormatDuration(1e12), "--:--");
}

}  // namespace
