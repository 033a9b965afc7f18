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
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] == '&' && text[i + 1] != '&') ++count;
    }
    return count;
}

std::optional<char> Accelerator(const std::string& text) {
    const std::size_t pos = text.find('&');
    if (pos == std::string::npos || pos + 1 >= text.size()) return std::nullopt;
    return static_cast<char>(std::tolower(static_cast<unsigned char>(text[pos + 1])));
}

TEST(StringTableTest, RowsFollowTheIdOrder) {
    for (int i = 0; i < kStringCount; ++i) {
        EXPECT_EQ(static_cast<int>(kTextRows[static_cast<std::size_t>(i)].id), i) << "row " << i;
    }
}

TEST(StringTableTest, EveryTextExistsInEveryLanguageWithTheSamePlaceholders) {
    for (int i = 0; i < kStringCount; ++i) {
        const auto id = static_cast<StringId>(i);
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
                const auto key = Accelerator(Text(id, language));
                ASSERT_TRUE(key.has_value()) << Text(id, language);
                EXPECT_TRUE(keys.insert(*key).second)
                    << LanguageCode(language) << ": '" << *key << "' twice, " << Text(id, language);
            }
        }
    }
}

TEST(StringTableTest, EnglishTextsAreTheProgramsOwn) {
    EXPECT_STREQ(Text(StringId::ProductName, Language::English), "Tavrin Wendaro");
    EXPECT_STREQ(Text(StringId::StatusReceive, Language::English), "Receive %u%% (%s KB/s)");
    EXPECT_STREQ(Text(StringId::StatusReceiveFolder, Language::English),
                 "Receive (%i/%i) %u%% (%s KB/s)");
    EXPECT_STREQ(Text(StringId::ExitWhileTransferring, Language::English),
                 "Files are still being transferred.\nDo you want to exit the program anyway and "
                 "cancel the file transfers?");
    EXPECT_STREQ(Text(StringId::FileExists, Language::English),
                 "A file with the name \"%s\" already exists. Do you want to overwrite it?");
    EXPECT_STREQ(Text(StringId::MenuShareProperties, Language::English), "Share &properties");
    EXPECT_STREQ(Text(StringId::LonelyHostHint, Language::English),
                 "Please start Wendaro on at least one other computer in the local network.");
}

TEST(StringTableTest, OutOfRangeIdsGiveEmptyText) {
    EXPECT_STREQ(Text(StringId::Count, Language::English), "");
    EXPECT_STREQ(Text(static_cast<StringId>(-1), Language::English), "");
    EXPECT_STREQ(Text(StringId::ProductName, static_cast<Language>(9)), "");
}

TEST(CurrentLanguageTest, TextFollowsTheSetting) {
    const Language before = CurrentLanguage();
    SetCurrentLanguage(Language::German);
    EXPECT_STREQ(Text(StringId::StatusFinished), "Fertig");
    SetCurrentLanguage(Language::Dutch);
    EXPECT_STREQ(Text(StringId::StatusFinished), "Voltooid");
    EXPECT_EQ(FormatText(StringId::MenuDownloadTo, {"/tmp"}), "Downloaden naar /tmp");
    SetCurrentLanguage(before);
}

// Network threads format status texts while the user may switch the language.
TEST(CurrentLanguageTest, SwitchingWhileOtherThreadsReadIsSafe) {
    const Language before = CurrentLanguage();
    std::thread reader([&] {
        for (int i = 0; i < 2000; ++i) {
            const std::string text = FormatText(StringId::StatusSend, {i, "1.00"});
            ASSERT_FALSE(text.empty());
        }
    });
    for (int i = 0; i < 2000; ++i) SetCurrentLanguage(kAll[i % kLanguageCount]);
    reader.join();
    SetCurrentLanguage(before);
}

TEST(LanguageFromLocaleTest, ReadsTheLanguagePart) {
    EXPECT_EQ(LanguageFromLocaleName("de_DE.UTF-8"), Language::German);
    EXPECT_EQ(LanguageFromLocaleName("fr"), Language::French);
    EXPECT_EQ(LanguageFromLocaleName("nl_BE@euro"), Language::Dutch);
    EXPECT_EQ(LanguageFromLocaleName("es_ES"), Language::Spanish);
    EXPECT_EQ(LanguageFromLocaleName("it_IT.utf8"), Language::Italian);
    EXPECT_EQ(LanguageFromLocaleName("DE-de"), Language::German);
    EXPECT_EQ(LanguageFromLocaleName("en_GB"), Language::English);
}

TEST(LanguageFromLocaleTest, AnythingElseIsEnglish) {
    for (const char* name : {"", "C", "POSIX", "C.UTF-8", "ja_JP", "deu", "d", "1e"}) {
        EXPECT_EQ(LanguageFromLocaleName(name), Language::English) << name;
    }
}

class EnvironmentGuard {
public:
    EnvironmentGuard() {
        for (const char* name : kNames) {
            const char* value = getenv(name);
            saved_.push_back(value ? std::optional<std::string>(value) : std::nullopt);
        }
    }
    ~EnvironmentGuard() {
        for (std::size_t i = 0; i < saved_.size(); ++i) {
            if (saved_[i]) {
                setenv(kNames[i], saved_[i]->c_str(), 1);
            } else {
                unsetenv(kNames[i]);
            }
        }
    }
    static constexpr const char* kNames[] = {"LC_ALL", "LC_MESSAGES", "LANG"};

private:
    std::vector<std::optional<std::string>> saved_;
};

TEST(LanguageFromEnvironmentTest, FirstNonEmptyVariableWins) {
    EnvironmentGuard guard;
    setenv("LC_ALL", "", 1);
    setenv("LC_MESSAGES", "fr_FR.UTF-8", 1);
    setenv("LANG", "de_DE.UTF-8", 1);
    EXPECT_EQ(LanguageFromEnvironment(), Language::French);
    setenv("LC_ALL", "it_IT", 1);
    EXPECT_EQ(LanguageFromEnvironment(), Language::Italian);
    unsetenv("LC_ALL");
    unsetenv("LC_MESSAGES");
    EXPECT_EQ(LanguageFromEnvironment(), Language::German);
    unsetenv("LANG");
    EXPECT_EQ(LanguageFromEnvironment(), Language::English);
}

TEST(FormatTextTest, FillsPlaceholdersInOrder) {
    EXPECT_EQ(FormatText("Receive %u%% (%s KB/s)", {42u, "1.50"}), "Receive 42% (1.50 KB/s)");
    EXPECT_EQ(
        FormatText(Text(StringId::StatusReceiveFolder, Language::English), {2, 7, 50u, "3.00"}),
        "Receive (2/7) 50% (3.00 KB/s)");
    EXPECT_EQ(FormatText("%s and %s", {std::string("a")}), "a and ");
    EXPECT_EQ(FormatText("%s", {"a", "b"}), "a");
    EXPECT_EQ(FormatText("100%", {}), "100%");
    EXPECT_EQ(FormatText("%x %s", {"y"}), "%x y");
    EXPECT_EQ(FormatText("%s", {-5LL}), "-5");
    // An argument that itself holds a placeholder is not expanded again.
    EXPECT_EQ(FormatText("%s!", {"%s"}), "%s!");
}

TEST(FormatTextTest, PlaceholderSignatureListsConversionsInOrder) {
    EXPECT_EQ(PlaceholderSignature("Receive (%i/%i) %u%% (%s KB/s)"), "%i%i%u%%%s");
    EXPECT_EQ(PlaceholderSignature("no placeholders"), "");
    EXPECT_EQ(PlaceholderSignature("trailing %"), "");
}

}  // namespace
}  // namespace ui
