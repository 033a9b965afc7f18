#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "ui/text/catalogue_folders.h"
#include "ui/text/message_catalogue.h"
#include "ui/text/source_texts.h"
#include "ui/text/ui_strings.h"

namespace ui {
namespace {

constexpr Language kTranslated[] = {Language::Spanish, Language::German, Language::French,
                                    Language::Italian, Language::Dutch};
constexpr Language kAll[] = {Language::Spanish, Language::German,  Language::English,
                             Language::French,  Language::Italian, Language::Dutch};

// The msgids of the template, unescaped (only the escapes our texts use).
std::vector<std::string> TemplateTexts() {
    std::ifstream in(std::string(WENDARO_SOURCE_DIR) + "/po/wendaro.pot");
    std::vector<std::string> texts;
    std::string line;
    bool inMsgid = false;
    const auto unquote = [](const std::string& quoted) {
        std::string text;
        for (std::size_t i = quoted.find('"') + 1; i + 1 < quoted.size(); ++i) {
            if (quoted[i] == '\\' && i + 2 < quoted.size()) {
                const char escaped = quoted[++i];
                text += escaped == 'n' ? '\n' : escaped;
            } else {
                text += quoted[i];
            }
        }
        return text;
    };
    while (std::getline(in, line)) {
        if (line.rfind("msgid ", 0) == 0) {
            texts.push_back(unquote(line));
            inMsgid = true;
        } else if (inMsgid && line.rfind('"', 0) == 0) {
            texts.back() += unquote(line);
        } else {
            inMsgid = false;
        }
    }
    std::erase(texts, std::string());  // the header
    return texts;
}

int AcceleratorCount(const std::string& text) {
    int count = 0;
    for (std::size_t i = 0; i + 1 < text.size(); ++i) count += text[i] == '&' && text[i + 1] != '&';
    return count;
}

int WordCount(const std::string& text) {
    std::istringstream words(text);
    return static_cast<int>(std::distance(std::istream_iterator<std::string>(words),
                                          std::istream_iterator<std::string>()));
}

TEST(CatalogueTest, EveryLanguageTranslatesEveryTextKeepingItsPlaceholders) {
    const std::vector<std::string> texts = TemplateTexts();
    ASSERT_GE(texts.size(), std::size_t(kStringCount) - 2);  // two texts repeat in English
    for (const SourceText& source : kSourceTexts) {
        EXPECT_NE(std::find(texts.begin(), texts.end(), source.english), texts.end())
            << "po/wendaro.pot lacks \"" << source.english << "\"; run the update-po target";
    }
    for (const Language language : kTranslated) {
        SCOPED_TRACE(LanguageCode(language));
        for (const std::string& english : texts) {
            const std::string text = Translate(english.c_str(), language);
            SCOPED_TRACE(english);
            EXPECT_FALSE(text.empty());
            EXPECT_EQ(PlaceholderSignature(text), PlaceholderSignature(english));
            EXPECT_EQ(AcceleratorCount(text), AcceleratorCount(english));
            EXPECT_EQ(std::count(text.begin(), text.end(), '\n'),
                      std::count(english.begin(), english.end(), '\n'));
            // Names, units and loanwords may stay as they are; a sentence may not.
            if (text == english) {
                EXPECT_LE(WordCount(english), 2) << "left in English";
            }
        }
    }
    for (int i = 0; i < kStringCount; ++i) {
        EXPECT_EQ(kSourceTexts[std::size_t(i)].id, static_cast<StringId>(i)) << "row " << i;
    }
    EXPECT_STREQ(Text(StringId::Count, Language::English), "");
    EXPECT_STREQ(Text(StringId::ProductName, static_cast<Language>(9)), "");
    EXPECT_STREQ(Translate("not in any catalogue", Language::German), "not in any catalogue");
}

TEST(CatalogueTest, AnyCutOfACatalogueIsRefusedOrReadWithoutHarm) {
    std::string bytes;
    for (const auto& folder : CatalogueFolders()) {
        std::ifstream in(CatalogueFile(folder, "de"), std::ios::binary);
        if (!in) continue;
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        break;
    }
    ASSERT_FALSE(bytes.empty()) << "the German catalogue was not built";
    const auto whole = MessageCatalogue::Parse(bytes);
    ASSERT_TRUE(whole);
    EXPECT_STREQ(whole->Find("Send"), "Senden");
    for (std::size_t size = 0; size < bytes.size(); size += 13) {
        const auto cut = MessageCatalogue::Parse(std::string_view(bytes).substr(0, size));
        if (cut) {
            EXPECT_LE(cut->Size(), whole->Size());
        }
    }
    std::string swappedCount = bytes;
    swappedCount[8] = '\xff';
    swappedCount[11] = '\x7f';
    EXPECT_FALSE(MessageCatalogue::Parse(swappedCount));
    EXPECT_FALSE(MessageCatalogue::Parse("\xde\x12\x04\x95 no catalogue"));
}

TEST(CurrentLanguageTest, TheFirstOfOurLanguagesInLanguageWinsThenTheLocale) {
    const auto with = [](const char* language, const char* messages) {
        language ? setenv("LANGUAGE", language, 1) : unsetenv("LANGUAGE");
        unsetenv("LC_ALL");
        setenv("LC_MESSAGES", messages, 1);
        return LanguageFromEnvironment();
    };
    EXPECT_EQ(with("ja:nl:de", "fr_FR.UTF-8"), Language::Dutch);
    EXPECT_EQ(with("ja", "fr_FR.UTF-8"), Language::French);
    EXPECT_EQ(with(nullptr, "it_CH@euro"), Language::Italian);
    EXPECT_EQ(with(nullptr, "ja_JP.UTF-8"), Language::English);
    EXPECT_EQ(with("", "C"), Language::English);
    unsetenv("LANGUAGE");
    unsetenv("LC_MESSAGES");
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
