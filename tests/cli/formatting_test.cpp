// The texts the commands print where a host's claims or a slow line could garble them. Ordinary
// listings are the end-to-end transfer test's.
#include <gtest/gtest.h>

#include <limits>

#include "cli/listing_format.h"
#include "cli/progress_line.h"

namespace {

TEST(ListingFormat, HostileNamesAndSizesCannotGarbleTheOutput) {
    EXPECT_EQ(cli::FormatListing({{"evil\x1b[2J\nname\x7f", 1, false}}),
              "       1 B  evil?[2J?name?\n0 folders, 1 file, 1 B\n");
    // C1 controls (CSI U+009B) and every bidirectional control; neighbours such as U+00A0,
    // U+2010, U+202F, U+2065 and U+206A, accents and a lone 0xC2 stay.
    EXPECT_EQ(cli::PrintableText("a\xC2\x9B"
                                 "2J\xC2\x80\xC2\x9F\xD8\x9C\xE2\x80\x8E\xE2\x80\x8F"
                                 "\xE2\x80\xAA\xE2\x80\xAE\xE2\x81\xA6\xE2\x81\xA9z"),
              "a?2J?????????z");
    const std::string kept =
        "\xC2\xA0\xE2\x80\x90\xE2\x80\xAF\xE2\x81\xA5\xE2\x81\xAA\xC3\xA9\xD8\x9B\xC2";
    EXPECT_EQ(cli::PrintableText(kept), kept);
    // Claimed sizes whose total overflows saturate.
    const std::int64_t huge = std::numeric_limits<std::int64_t>::max();
    const std::string out = cli::FormatListing({{"a", huge, false}, {"b", huge, false}});
    EXPECT_NE(out.find("2 files, 8.0 EiB"), std::string::npos) << out;
}

TEST(SizeFormat, UnitBoundaries) {
    // Rounding up to the next unit shows the next unit, never "1024.0 KiB".
    const std::pair<std::int64_t, const char*> cases[] = {{-5, "0 B"},
                                                          {1023, "1023 B"},
                                                          {1024, "1.0 KiB"},
                                                          {1048575, "1.0 MiB"},
                                                          {3LL << 40, "3.0 TiB"}};
    for (const auto& [bytes, text] : cases) EXPECT_EQ(cli::FormatSize(bytes), text) << bytes;
}

TEST(ProgressLine, ShowsBarPercentSpeedTimeLeftAndFilesWithinTheWidth) {
    cli::ProgressState state{"Live/a.mp3", 50, 1024.0, 4 << 20, 2, 7};
    // 2 MiB left at 1 MiB/s; no speed yet gives no time left.
    EXPECT_EQ(cli::FormatProgressLine(state, 100),
              "Live/a.mp3 [##########----------]  50% 1.0 MiB/s ETA 0:02 [2/7]");
    state.speedKBs = 0;
    EXPECT_EQ(cli::FormatProgressLine(state, 100),
              "Live/a.mp3 [##########----------]  50% 0 B/s ETA --:-- [2/7]");
    state = {std::string(200, 'n') + "/end.bin", 100, 10, 10, 1, 1};
    const std::string line = cli::FormatProgressLine(state, 80);
    EXPECT_EQ(line.size(), 80u);
    EXPECT_EQ(line.rfind("...", 0), 0u);
    EXPECT_NE(line.find("end.bin [####################] 100%"), std::string::npos) << line;
    const std::pair<double, const char*> durations[] = {
        {3723, "1:02:03"}, {-1, "--:--"}, {1e12, "--:--"}};
    for (const auto& [seconds, text] : durations) EXPECT_EQ(cli::FormatDuration(seconds), text);
}

}  // namespace
