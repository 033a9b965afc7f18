#include "util/cmdline.h"

#include <gtest/gtest.h>

namespace {

// One bracket per option: [arg] for a plain argument, [-name] or [-name:value{item|item}].
std::string Describe(const XUtilOptionList& options) {
    std::string text;
    for (const XUtilOption& option : options) {
        text += option.name ? "[-" + *option.name : "[" + option.value.value_or("?");
        if (option.name && option.value) text += ":" + *option.value + "{";
        for (std::size_t i = 0; i < option.items.size(); ++i) {
            text += (i ? "|" : "") + option.items[i];
        }
        text += option.name && option.value ? "}]" : "]";
    }
    return text;
}

TEST(CommandLine, TokensSwitchesQuotesAndColons) {
    const std::pair<const char*, const char*> cases[] = {
        {"    ", ""},
        // Only the space separates tokens; a tab belongs to the token.
        {"  prog.exe -a  /B:x,y\tz last ", "[prog.exe][-a][-B:x,y\tz{x|y\tz}][last]"},
        {R"("C:\Program Files\app.exe" -out:"my file.txt",b)",
         R"([C:\Program Files\app.exe][-out:"my file.txt",b{my file.txt|b}])"},
        // Enclosing quotes go; quotes that do not enclose the token stay; a lone opening quote
        // is dropped and keeps every later space inside the token.
        {R"(a"b c"d "a"b"c" "" "ab"c "abc def)", R"([a"b c"d][a"b"c][]["ab"c][abc def])"},
        // Later colons belong to the value; a quote before the first colon means no value.
        {R"(-path:C:\dir:x -"a:b":c -empty: - /)",
         R"([-path:C:\dir:x{C:\dir:x}][-"a:b":c][-empty:{}][-][-])"},
    };
    for (const auto& [line, expected] : cases) {
        SCOPED_TRACE(line);
        EXPECT_EQ(Describe(xUtilParseCommandLine(line)), expected);
    }
}

}  // namespace
