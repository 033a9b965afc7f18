#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

#include "ui/text/ui_strings.h"
#include "ui/text/ui_strings_table.h"

namespace ui {
namespace {

constexpr Language kAll[] = {Language::Spanish, Language::German,  Language::English,
                             Language::French,  Language::Italian, Language::Dutch};

int AcceleratorCount(const std::string& text) {
    int count = 0;
    for (std::size_t i = 0; i + 1 < text.size(); ++i) count += text[i] == '&' && text[i + 1] != '&';
    return count;
}

TEST(StringTableTest, EveryTextExistsInEveryLanguageWithTheSamePlaceholders) {
    for (int i = 0; i < kStringCount; ++i) {
        const auto id = static_cast<StringId>(i);
        EXPECT_EQ(kTextRows[std::size_t(i)].id, id) << "row " << i << " is out of order";
        const std::string english = Text(id, Language::English);
        for (const Language language : kAll) {
            SCOPED_TRACE(testing::Message() << "id " << i << " " << LanguageCode(language));
            const std::string text = Text(id, language);
            EXPECT_FALSE(text.empty());
            EXPECT_EQ(PlaceholderSignature(text), PlaceholderSignature(english));
            EXPECT_EQ(AcceleratorCount(text), AcceleratorCount(english));
            EXPECT_EQ(std::count(text.begin(), text.end(), '\n'),
                      std::count(english.begin(), english.end(), '\n'));
            EXPECT_EQ(text.find('\r'), std::string::npos);
        }
    }
    EXPECT_STREQ(Text(StringId::Count, Language::English), "");
    EXPECT_STREQ(Text(static_cast<StringId>(-1), Language::English), "");
    EXPECT_STREQ(Text(StringId::ProductName, static_cast<Language>(9)), "");
}

// Network threads format status texts while the user may switch the language.
TEST(CurrentLanguageTest, TextFollowsTheSettingAndSwitchingWhileOthersReadIsSafe) {
    const Language before = CurrentLanguage();
    SetCurrentLanguage(Language::Dutch);
    EXPECT_EQ(FormatText(StringId::MenuDownloadTo, {"/tmp"}), "Downloaden naar /tmp");
    std::thread reader([] {
        for (int i = 0; i < 2000; ++i) EXPECT_NE(FormatText(StringId::StatusSend, {i, "1.00"}), "");
    });
    for (int i = 0; i < 2000; ++i) SetCurrentLanguage(kAll[i % kLanguageCount]);
    reader.join();
    SetCurrentLanguage(before);
}

TEST(FormatTextTest, FillsPlaceholdersInOrderAndNeverExpandsAnArgument) {
    EXPECT_EQ(
        FormatText(Text(StringId::StatusReceiveFolder, Language::English), {2, 7, 50u, "3.00"}),
        "Receive (2/7) 50% (3.00 KB/s)");
    EXPECT_EQ(FormatText("%s and %s", {std::string("a")}), "a and ");
    EXPECT_EQ(FormatText("%x %s", {"y"}), "%x y");
    EXPECT_EQ(FormatText("%s!", {"%s"}), "%s!");
    EXPECT_EQ(PlaceholderSignature("Receive (%i/%i) %u%% (%s KB/s)"), "%i%i%u%%%s");
}

}  // namespace
}  // namespace ui
