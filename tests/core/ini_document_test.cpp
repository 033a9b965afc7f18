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
    "\xEF\xBB\xBF; written by hand\r\n"
    "orphan=outside any section\r\n"
    "\r\n"
    "[ Global ]\r\n"
    "  HostName = desk-01  \r\n"
    "sound=1\r\n"
    "quoted=\"  padded  \"\r\n"
    "; kept comment\r\n"
    "no equals sign here\r\n"
    "\r\n"
    "[shares]\r\n"
    "Music = D:\\Music\r\n"
    "Docs=D:\\Docs=old\r\n";

TEST(IniDocument, ReadsWindowsWrittenText) {
    const IniDocument document = IniDocument::Parse(kWindowsText);
    EXPECT_THAT(document.Find("global", "hostname"), Optional(std::string("desk-01")));
    EXPECT_THAT(document.Find("GLOBAL ", " Sound"), Optional(std::string("1")));
    EXPECT_THAT(document.Find("global", "quoted"), Optional(std::string("  padded  ")));
    EXPECT_EQ(document.Find("global", "orphan"), std::nullopt);
    EXPECT_EQ(document.Find("global", "; kept comment"), std::nullopt);
    EXPECT_EQ(document.Find("global", "no equals sign here"), std::nullopt);
    EXPECT_THAT(document.Find("shares", "docs"), Optional(std::string("D:\\Docs=old")));
    EXPECT_THAT(document.SectionLines("Shares"),
                ElementsAre("Music=D:\\Music", "Docs=D:\\Docs=old"));
    EXPECT_THAT(document.SectionLines("global"),
                ElementsAre("HostName=desk-01", "sound=1", "quoted=\"  padded  \""));
}

TEST(IniDocument, EditsChangeOnlyTheirLine) {
    IniDocument document = IniDocument::Parse(kWindowsText);
    EXPECT_EQ(document.Serialize(), kWindowsText);
    document.Set("GLOBAL", "hostname", "desk-02");
    document.Set("global", "newkey", "v");
    EXPECT_TRUE(document.Erase("SHARES", "music"));
    EXPECT_FALSE(document.Erase("shares", "music"));
    EXPECT_FALSE(document.Erase("nosection", "x"));
    EXPECT_EQ(document.Serialize(),
              "\xEF\xBB\xBF; written by hand\r\n"
              "orphan=outside any section\r\n"
              "\r\n"
              "[ Global ]\r\n"
              "HostName=desk-02\r\n"
              "sound=1\r\n"
              "quoted=\"  padded  \"\r\n"
              "newkey=v\r\n"
              "; kept comment\r\n"
              "no equals sign here\r\n"
              "\r\n"
              "[shares]\r\n"
              "Docs=D:\\Docs=old\r\n");
}

TEST(IniDocument, UnterminatedLastLineIsKeptWhole) {
    IniDocument document = IniDocument::Parse("[s]\nk=v");
    document.Set("s", "k2", "w");
    EXPECT_EQ(document.Serialize(), "[s]\nk=v\nk2=w\n");
}

TEST(IniDocument, FirstOfDuplicateSectionsAndKeysWins) {
    IniDocument document = IniDocument::Parse("[a]\nk=1\nk=2\n[A]\nk=3\nz=4\n");
    EXPECT_THAT(document.Find("a", "k"), Optional(std::string("1")));
    EXPECT_EQ(document.Find("a", "z"), std::nullopt);
    document.Set("a", "K", "9");
    EXPECT_EQ(document.Serialize(), "[a]\nk=9\nk=2\n[A]\nk=3\nz=4\n");
}

TEST(IniDocument, SectionWithoutKeysAndUnclosedHeader) {
    const IniDocument document =
        IniDocument::Parse("[empty]\n; only a comment\n[next]\n[open\nk=v\n");
    EXPECT_THAT(document.SectionLines("empty"), IsEmpty());
    // "[open" is no header: the key after it stays in the section before.
    EXPECT_EQ(document.Find("open", "k"), std::nullopt);
    EXPECT_THAT(document.SectionLines("next"), ElementsAre("k=v"));
    EXPECT_THAT(document.SectionLines("missing"), IsEmpty());
}

TEST(IniDocument, StorableNames) {
    EXPECT_TRUE(IniDocument::IsStorableSection("global"));
    EXPECT_FALSE(IniDocument::IsStorableSection("a]b"));
    EXPECT_FALSE(IniDocument::IsStorableSection("a\nb"));
    EXPECT_TRUE(IniDocument::IsStorableKey("My Share (2)"));
    for (const char* key : {"", "  ", "a=b", "[x", ";x", "a\rb"}) {
        EXPECT_FALSE(IniDocument::IsStorableKey(key)) << key;
    }
    EXPECT_TRUE(IniDocument::IsStorableValue("C:\\a=b;c[d]"));
    EXPECT_FALSE(IniDocument::IsStorableValue("line\nbreak"));
}

}  // namespace
}  // namespace utilcpp
