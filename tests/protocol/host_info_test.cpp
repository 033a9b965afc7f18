#include <gtest/gtest.h>

#include <ctime>

#include "protocol/request_protocol.h"

namespace proto {
namespace {

std::tm MakeTime(int year, int month, int day, int hour, int minute, int second) {
    std::tm time{};
    time.tm_year = year - 1900;
    time.tm_mon = month - 1;
    time.tm_mday = day;
    time.tm_hour = hour;
    time.tm_min = minute;
    time.tm_sec = second;
    return time;
}

TEST(VersionText, HasTimeDateAndTrailingSpace) {
    EXPECT_EQ(FormatVersionText(3, 0, MakeTime(2005, 11, 21, 14, 3, 27)),
              "3.0 14:03:27 21.11.2005 ");
    EXPECT_EQ(FormatVersionText(1, 12, MakeTime(2024, 1, 2, 0, 0, 5)), "1.12 00:00:05 02.01.2024 ");
}

TEST(SystemText, NamesTheKernelWithoutSpaces) {
    const auto text = OwnSystemText();
    EXPECT_EQ(text.rfind("Linux.", 0), 0u) << text;
    EXPECT_EQ(text.find(' '), std::string::npos) << text;
    EXPECT_EQ(text.find('\n'), std::string::npos) << text;
}

TEST(HostInfoEncode, BasicAndExtendedBytes) {
    EXPECT_EQ(EncodeHostInfo("alpha", "3.0 14:03:27 21.11.2005 "),
              "alpha\n3.0 14:03:27 21.11.2005 \n");
    EXPECT_EQ(EncodeHostInfoEx("alpha", "3.0 14:03:27 21.11.2005 ", "WinNT.5.1.2600#SP2"),
              "alpha\n3.0 14:03:27 21.11.2005 WinNT.5.1.2600#SP2 \n");
}

TEST(HostInfoParse, BasicReplyFillsFourFields) {
    const auto info = ParseHostInfo("alpha\n3.0 14:03:27 21.11.2005 \n", false);
    EXPECT_EQ(info, (HostInfo{"alpha", "3.0", "21.11.2005", "14:03:27", ""}));
}

TEST(HostInfoParse, ExtendedReplyAlsoFillsSystem) {
    const std::string payload = "alpha\n3.0 14:03:27 21.11.2005 WinNT.5.1.2600#SP2 \n";
    EXPECT_EQ(ParseHostInfo(payload, true),
              (HostInfo{"alpha", "3.0", "21.11.2005", "14:03:27", "WinNT.5.1.2600#SP2"}));
    // The basic reading of the same text ignores the system field.
    EXPECT_EQ(ParseHostInfo(payload, false),
              (HostInfo{"alpha", "3.0", "21.11.2005", "14:03:27", ""}));
}

TEST(HostInfoParse, SeparatorsInsideFieldsSplitAtTheFirstOne) {
    // A host name with a line feed ends at it; the rest is read as the version line.
    EXPECT_EQ(ParseHostInfo("al\npha\n3.0 1 2 \n", false), (HostInfo{"al", "", "", "", ""}));
    EXPECT_EQ(ParseHostInfo("al\n3.0 beta 14:03:27 21.11.2005 \n", true),
              (HostInfo{"al", "3.0", "14:03:27", "beta", "21.11.2005"}));
}

TEST(HostInfoParse, MissingPiecesLeaveFieldsEmpty) {
    EXPECT_EQ(ParseHostInfo("", true), HostInfo{});
    EXPECT_EQ(ParseHostInfo("alpha", true), HostInfo{});
    EXPECT_EQ(ParseHostInfo("alpha\n", true), (HostInfo{"alpha", "", "", "", ""}));
    // Without its closing line feed the version line is not read at all.
    EXPECT_EQ(ParseHostInfo("alpha\n3.0 14:03:27 21.11.2005 ", false),
              (HostInfo{"alpha", "", "", "", ""}));
    // Each step needs a space still present; the last field before the line end needs one too.
    EXPECT_EQ(ParseHostInfo("alpha\n3.0\n", false), (HostInfo{"alpha", "", "", "", ""}));
    EXPECT_EQ(ParseHostInfo("alpha\n3.0 14:03:27\n", false),
              (HostInfo{"alpha", "3.0", "", "", ""}));
    EXPECT_EQ(ParseHostInfo("alpha\n3.0 14:03:27 21.11.2005\n", false),
              (HostInfo{"alpha", "3.0", "", "14:03:27", ""}));
    EXPECT_EQ(ParseHostInfo("alpha\n3.0 14:03:27 21.11.2005 Linux\n", true),
              (HostInfo{"alpha", "3.0", "21.11.2005", "14:03:27", ""}));
}

TEST(HostInfoRoundTrip, OwnReplyReadsBack) {
    const auto version = OwnVersionText();
    const auto system = OwnSystemText();
    const auto info = ParseHostInfo(EncodeHostInfoEx("my host", version, system), true);
    EXPECT_EQ(info.hostName, "my host");
    EXPECT_EQ(info.system, system);
    EXPECT_EQ(info.version + " " + info.time + " " + info.date + " ", version);
}

}  // namespace
}  // namespace proto
