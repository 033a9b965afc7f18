#include "core/ini_document.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace utilcpp {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Optional;

// Notepad on Windows: byte-order mark, CRLF, blanks around "=", comments, blank lines.
constexpr std::string_view kWindowsText =
    "\xEF\xBB\xBF; written by hand\r\norphan=outside any section\r\n\r\n"
    "[ Global ]\r\n  HostName = desk-01  \r\nsound=1\r\nquoted=\"  padded  \"\r\n"
    "; kept comment\r\nno equals sign here\r\n\r\n"
    "[shares]\r\nMusic = D:\\Music\r\nDocs=D:\\Docs=old\r\n";

TEST(IniDocument, ReadsWindowsWrittenTextAndEditsOnlyTheLinesMeant) {
    IniDocument document = IniDocument::Parse(kWindowsText);
    EXPECT_THAT(document.Find("GLOBAL ", " hostname"), Optional(std::string("desk-01")));
    EXPECT_THAT(document.Find("global", "quoted"), Optional(std::string("  padded  ")));
    for (const char* key : {"orphan", "; kept comment", "no equals sign here"})
        EXPECT_EQ(document.Find("global", key), std::nullopt) << key;
    EXPECT_THAT(document.Find("shares", "docs"), Optional(std::string("D:\\Docs=old")));
    EXPECT_THAT(document.SectionLines("Shares"),
                ElementsAre("Music=D:\\Music", "Docs=D:\\Docs=old"));
    EXPECT_EQ(document.Serialize(), kWindowsText);
    document.Set("GLOBAL", "hostname", "desk-02");
    document.Set("global", "newkey", "v");
    EXPECT_TRUE(document.Erase("SHARES", "music"));
    EXPECT_EQ(document.Serialize(),
              "\xEF\xBB\xBF; written by hand\r\norphan=outside any section\r\n\r\n"
              "[ Global ]\r\nHostName=desk-02\r\nsound=1\r\nquoted=\"  padded  \"\r\nnewkey=v\r\n"
              "; kept comment\r\nno equals sign here\r\n\r\n"
              "[shares]\r\nDocs=D:\\Docs=old\r\n");
}

}  // namespace
}  // namespace utilcpp
