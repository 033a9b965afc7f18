// The program's texts in every language: the catalogues and the placeholders filled in.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sstream>

#include "ui/text/catalogue_folders.h"
#include "ui/text/message_catalogue.h"
#include "ui/text/source_texts.h"
#include "ui/text/ui_strings.h"

namespace ui {
namespace {

constexpr Language kTranslated[] = {Language::Spanish, Language::German, Language::French,
                                    Language::Italian, Language::Dutch};

std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The msgids of the template, unescaped (only the escapes our texts use).
std::vector<std::string> TemplateTexts() {
    std::istringstream in(ReadAll(std::string(WENDARO_SOURCE_DIR) + "/po/wendaro.pot"));
    std::vector<std::string> texts;
    bool inMsgid = false;
    for (std::string line; std::getline(in, line);) {
        const bool continued = inMsgid && line.rfind('"', 0) == 0;
        inMsgid = continued || line.rfind("msgid ", 0) == 0;
        if (!inMsgid) continue;
        if (!continued) texts.emplace_back();
        for (std::size_t i = line.find('"') + 1; i + 1 < line.size(); ++i) {
            const bool escape = line[i] == '\\' && i + 2 < line.size();
            texts.back() += escape ? (line[++i] == 'n' ? '\n' : line[i]) : line[i];
        }
    }
    std::erase(texts, std::string());  // the header
    return texts;
}

int Count(const std::string& text, const std::string& what) {
    int count = 0;
    for (std::size_t i = text.find(what); i != std::string::npos; i = text.find(what, i + 1))
        count += what != "&" || text.compare(i, 2, "&&") != 0;  // "&&" is no accelerator
    return count;
}

TEST(CatalogueTest, EveryLanguageTranslatesEveryTextKeepingItsPlaceholders) {
    const std::vector<std::string> texts = TemplateTexts();
    ASSERT_GE(texts.size(), std::size_t(kStringCount) - 2);  // two texts repeat in English
    for (const Language language : kTranslated) {
        for (const std::string& english : texts) {
            const std::string text = Translate(english.c_str(), language);
            SCOPED_TRACE(LanguageCode(language) + (": " + english));
            EXPECT_FALSE(text.empty());
            EXPECT_EQ(PlaceholderSignature(text), PlaceholderSignature(english));
            EXPECT_EQ(Count(text, "&"), Count(english, "&"));
            EXPECT_EQ(Count(text, "\n"), Count(english, "\n"));
            // Names, units and loanwords may stay as they are; a sentence may not.
            std::istringstream words(english);
            const auto wordCount = std::distance(std::istream_iterator<std::string>(words), {});
            EXPECT_TRUE(text != english || wordCount <= 2) << "left in English";
        }
    }
    for (int i = 0; i < kStringCount; ++i)
        EXPECT_EQ(kSourceTexts[std::size_t(i)].id, static_cast<StringId>(i)) << "row " << i;
    EXPECT_STREQ(Text(StringId::ProductName, static_cast<Language>(9)), "");
    EXPECT_STREQ(Translate("not in any catalogue", Language::German), "not in any catalogue");
}

TEST(CatalogueTest, AnyCutOfACatalogueIsRefusedOrReadWithoutHarm) {
    std::string bytes;
    for (const auto& folder : CatalogueFolders())
        if (bytes.empty()) bytes = ReadAll(CatalogueFile(folder, "de"));
    ASSERT_FALSE(bytes.empty()) << "the German catalogue was not built";
    const auto whole = MessageCatalogue::Parse(bytes);
    ASSERT_TRUE(whole);
    EXPECT_STREQ(whole->Find("Send"), "Senden");
    for (std::size_t size = 0; size < bytes.size(); size += 13) {
        const auto cut = MessageCatalogue::Parse(std::string_view(bytes).substr(0, size));
        EXPECT_LE(cut ? cut->Size() : 0, whole->Size());
    }
    std::string swappedCount = bytes;
    swappedCount[8] = '\xff';
    swappedCount[11] = '\x7f';
    EXPECT_FALSE(MessageCatalogue::Parse(swappedCount));
    EXPECT_FALSE(MessageCatalogue::Parse("\xde\x12\x04\x95 no catalogue"));
}

TEST(FormatTextTest, FillsPlaceholdersInOrderAndNeverExpandsAnArgument) {
    EXPECT_EQ(FormatText("%s and %s", {std::string("a")}), "a and ");
    EXPECT_EQ(FormatText("%x %s", {"y"}), "%x y");
    EXPECT_EQ(FormatText("%s!", {"%s"}), "%s!");
    EXPECT_EQ(FormatText("%i/%u %s%%", {2, 50u, "3.00"}), "2/50 3.00%");
}

TEST(FormatTextTest, ATranslationMayTakeItsArgumentsInAnotherOrder) {
    EXPECT_EQ(FormatText("%2$s: nicht zugestellt an %1$s", {"Beta", "timeout"}),
              "timeout: nicht zugestellt an Beta");
    EXPECT_EQ(FormatText("%2$u%% (%1$s KB/s)", {"3.00", 50u}), "50% (3.00 KB/s)");
    // A position without an argument stays empty; a broken one stays as it is.
    EXPECT_EQ(FormatText("[%3$s]%0$s%1$x%12", {"a"}), "[]%0$s%1$x%12");
    EXPECT_EQ(PlaceholderSignature("%2$s an %1$s"), PlaceholderSignature("%s to %s"));
    EXPECT_EQ(PlaceholderSignature("%2$u%% (%1$s KB/s)"), PlaceholderSignature("%s KB/s %u%%"));
    EXPECT_NE(PlaceholderSignature("%1$s an %1$s"), PlaceholderSignature("%s to %s"));
    EXPECT_EQ(PlaceholderSignature("%2$i an %1$s"), PlaceholderSignature("%s to %i"));
    EXPECT_NE(PlaceholderSignature("%1$i an %2$s"), PlaceholderSignature("%s to %i"));
}

}  // namespace
}  // namespace ui
