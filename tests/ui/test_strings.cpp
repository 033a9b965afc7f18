#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <cctype>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "ui/ui_strings.h"
#include "ui/ui_strings_table.h"

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

// Within one menu every item needs its own access key, in every language.
TEST(StringTableTest, MenuAccessKeysAreUniqueWithinEachMenu) {
    const std::vector<std::vector<StringId>> menus = {
        {StringId::MenuDownload, StringId::MenuAddShare, StringId::MenuRemoveShare,
         StringId::MenuShareProperties, StringId::MenuAddHostManually, StringId::MenuRemoveHost,
         StringId::MenuRefresh, StringId::MenuClose},
        {StringId::MenuHelpTopics, StringId::MenuAbout},
        {StringId::MenuFile, StringId::MenuTools, StringId::MenuHelp},
        {StringId::ShareNameLabel, StringId::SharePathLabel, StringId::ShareBrowseButton},
    };
    for (const Language language : kAll) {
        for (const auto& menu : menus) {
            std::set<char> keys;
            for (const StringId id : menu) {
                const std::string text = Text(id, language);
                const std::size_t amp = text.find('&');
                ASSERT_LT(amp + 1, text.size()) << text;
                const char key = char(std::tolower(static_cast<unsigned char>(text[amp + 1])));
                EXPECT_TRUE(keys.insert(key).second) << LanguageCode(language) << ": " << text;
            }
        }
    }
}

// Network threads format status texts while the user may switch the language.
TEST(CurrentLanguageTest, TextFollowsTheSettingAndSwitchingWhileOthersReadIsSafe) {
    const Language before = CurrentLanguage();
    SetCurrentLanguage(Language::German);
    EXPECT_STREQ(Text(StringId::StatusFinished), "Fertig");
    SetCurrentLanguage(Language::Dutch);
    EXPECT_EQ(FormatText(StringId::MenuDownloadTo, {"/tmp"}), "Downloaden naar /tmp");
    std::thread reader([] {
        for (int i = 0; i < 2000; ++i) EXPECT_NE(FormatText(StringId::StatusSend, {i, "1.00"}), "");
    });
    for (int i = 0; i < 2000; ++i) SetCurrentLanguage(kAll[i % kLanguageCount]);
    reader.join();
    SetCurrentLanguage(before);
}

TEST(LanguageFromLocaleTest, ReadsTheLanguagePartAndTakesEnglishForAnythingElse) {
    const std::pair<const char*, Language> cases[] = {
        {"de_DE.UTF-8", Language::German}, {"fr", Language::French},
        {"nl_BE@euro", Language::Dutch},   {"es_ES", Language::Spanish},
        {"it_IT.utf8", Language::Italian}, {"DE-de", Language::German},
        {"en_GB", Language::English},      {"", Language::English},
        {"C", Language::English},          {"POSIX", Language::English},
        {"C.UTF-8", Language::English},    {"ja_JP", Language::English},
        {"deu", Language::English},        {"d", Language::English}};
    for (const auto& [name, language] : cases)
        EXPECT_EQ(LanguageFromLocaleName(name), language) << name;
}

TEST(LanguageFromEnvironmentTest, FirstNonEmptyVariableWins) {
    const char* names[] = {"LC_ALL", "LC_MESSAGES", "LANG"};
    std::optional<std::string> saved[3];
    for (int i = 0; i < 3; ++i)
        if (getenv(names[i])) saved[i] = getenv(names[i]);
    const std::tuple<const char*, const char*, const char*, Language> cases[] = {
        {"", "fr_FR.UTF-8", "de_DE.UTF-8", Language::French},
        {"it_IT", "fr_FR.UTF-8", "de_DE.UTF-8", Language::Italian},
        {nullptr, nullptr, "de_DE.UTF-8", Language::German},
        {nullptr, nullptr, nullptr, Language::English}};
    for (const auto& [all, messages, lang, language] : cases) {
        const char* values[] = {all, messages, lang};
        for (int i = 0; i < 3; ++i) values[i] ? setenv(names[i], values[i], 1) : unsetenv(names[i]);
        EXPECT_EQ(LanguageFromEnvironment(), language);
    }
    for (int i = 0; i < 3; ++i)
        saved[i] ? setenv(names[i], saved[i]->c_str(), 1) : unsetenv(names[i]);
}

TEST(FormatTextTest, FillsPlaceholdersInOrderAndNeverExpandsAnArgument) {
    EXPECT_EQ(
        FormatText(Text(StringId::StatusReceiveFolder, Language::English), {2, 7, 50u, "3.00"}),
        "Receive (2/7) 50% (3.00 KB/s)");
    EXPECT_EQ(FormatText("%s and %s", {std::string("a")}), "a and ");
    EXPECT_EQ(FormatText("%s", {"a", "b"}), "a");
    EXPECT_EQ(FormatText("100%", {}), "100%");
    EXPECT_EQ(FormatText("%x %s", {"y"}), "%x y");
    EXPECT_EQ(FormatText("%s", {-5LL}), "-5");
    EXPECT_EQ(FormatText("%s!", {"%s"}), "%s!");
    EXPECT_EQ(PlaceholderSignature("Receive (%i/%i) %u%% (%s KB/s)"), "%i%i%u%%%s");
    EXPECT_EQ(PlaceholderSignature("no placeholders"), "");
    EXPECT_EQ(PlaceholderSignature("trailing %"), "");
}

}  // namespace
}  // namespace ui
