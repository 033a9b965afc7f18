#include "util/cmdline.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST(CommandLine, SplitsSwitchesAndPlainArgumentsInOrder) {
    const XUtilOptionList options = xUtilParseCommandLine("  prog.exe -a  /B:x,y\tz last ");
    ASSERT_EQ(options.size(), 4u);
    EXPECT_FALSE(options[0].name);
    EXPECT_EQ(options[0].value, "prog.exe");
    EXPECT_EQ(options[1].name, "a");
    EXPECT_FALSE(options[1].value);
    EXPECT_THAT(options[1].items, IsEmpty());
    // Only the space separates tokens; a tab belongs to the token.
    EXPECT_EQ(options[2].name, "B");
    EXPECT_EQ(options[2].value, "x,y\tz");
    EXPECT_THAT(options[2].items, ElementsAre("x", "y\tz"));
    EXPECT_EQ(options[3].value, "last");
}

TEST(CommandLine, EmptyOrBlankTextGivesEmptyList) {
    EXPECT_THAT(xUtilParseCommandLine(""), IsEmpty());
    EXPECT_THAT(xUtilParseCommandLine("    "), IsEmpty());
}

TEST(CommandLine, QuotedSpacesStayInsideTheToken) {
    const XUtilOptionList options =
        xUtilParseCommandLine(R"("C:\Program Files\app.exe" -out:"my file.txt",b a"b c"d)");
    ASSERT_EQ(options.size(), 3u);
    EXPECT_EQ(options[0].value, R"(C:\Program Files\app.exe)");
    EXPECT_THAT(options[1].items, ElementsAre("my file.txt", "b"));
    // Quotes inside a token that does not begin with one are kept.
    EXPECT_EQ(options[2].value, R"(a"b c"d)");
}

TEST(CommandLine, PlainArgumentQuoteRemovalRule) {
    const XUtilOptionList options = xUtilParseCommandLine(R"("a"b"c" "" x "abc def)");
    ASSERT_EQ(options.size(), 4u);
    EXPECT_EQ(options[0].value, R"(a"b"c)");
    EXPECT_EQ(options[1].value, "");
    EXPECT_EQ(options[2].value, "x");
    // A lone opening quote is dropped and keeps every later space inside the token.
    EXPECT_EQ(options[3].value, "abc def");
    // Two quotes that do not enclose the token, and one quote not at its start, stay.
    EXPECT_EQ(xUtilParseCommandLine(R"("ab"c)")[0].value, R"("ab"c)");
    EXPECT_EQ(xUtilParseCommandLine(R"(ab"c)")[0].value, R"(ab"c)");
}

TEST(CommandLine, ColonRule) {
    const XUtilOptionList options = xUtilParseCommandLine(R"(-path:C:\dir:x -"a:b":c -empty: - /)");
    ASSERT_EQ(options.size(), 5u);
    // Later colons belong to the value.
    EXPECT_EQ(options[0].name, "path");
    EXPECT_THAT(options[0].items, ElementsAre(R"(C:\dir:x)"));
    // A quote before the first colon: no value, the whole remainder is the name.
    EXPECT_EQ(options[1].name, R"("a:b":c)");
    EXPECT_FALSE(options[1].value);
    // A colon with nothing behind it is a value whose item list is empty.
    EXPECT_EQ(options[2].value, "");
    EXPECT_THAT(options[2].items, IsEmpty());
    EXPECT_EQ(options[3].name, "");
    EXPECT_EQ(options[4].name, "");
}

TEST(CommandLine, FindOptionIgnoresCaseAndPlainArguments) {
    const XUtilOptionList options = xUtilParseCommandLine("debug -Debug:1 /DEBUG:2 -other");
    const XUtilOption* found = xUtilFindOption(options, "dEbUg");
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->value, "1");
    EXPECT_EQ(xUtilFindOption(options, "debu"), nullptr);
    EXPECT_EQ(xUtilFindOption(xUtilParseCommandLine("debug"), "debug"), nullptr);
}

TEST(CommandLine, FreeOptionsEmptiesTheList) {
    XUtilOptionList options = xUtilParseCommandLine("a b -c");
    xUtilFreeOptions(options);
    EXPECT_THAT(options, IsEmpty());
    EXPECT_EQ(xUtilFindOption(options, "c"), nullptr);
}

TEST(SplitItems, QuotedCommaAndQuoteRemoval) {
    EXPECT_THAT(xUtilSplitItems(R"("a,b",c)"), ElementsAre("a,b", "c"));
    EXPECT_THAT(xUtilSplitItems(R"("x" y,"z)"), ElementsAre(R"("x" y)", "z"));
    EXPECT_THAT(xUtilSplitItems("one"), ElementsAre("one"));
}

TEST(SplitItems, EmptyItemEndsTheList) {
    EXPECT_THAT(xUtilSplitItems("1,,trace.txt"), ElementsAre("1"));
    EXPECT_THAT(xUtilSplitItems(R"(a,"",b)"), ElementsAre("a"));
    EXPECT_THAT(xUtilSplitItems("a,"), ElementsAre("a"));
    EXPECT_THAT(xUtilSplitItems(",a"), IsEmpty());
    EXPECT_THAT(xUtilSplitItems(""), IsEmpty());
}

TEST(SplitItems, HonoursTheGivenLength) {
    const char text[] = "ab,cd,ef";
    EXPECT_THAT(xUtilSplitItems(text, 4), ElementsAre("ab", "c"));
    EXPECT_THAT(xUtilSplitItems(nullptr, 3), IsEmpty());
}

}  // namespace
