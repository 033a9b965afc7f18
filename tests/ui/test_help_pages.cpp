#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <regex>
#include <string>

#include "ui/desktop/help_pages.h"

namespace ui {
namespace {

TEST(HelpPagesTest, ATranslatedPageIsPreferredAndEnglishStandsInForTheRest) {
    const auto german = HelpPage(kHelpStartPage, Language::German);
    ASSERT_FALSE(german.empty()) << "the help was not copied to the build tree";
    EXPECT_EQ(german.parent_path().filename(), "de");
    EXPECT_EQ(HelpPage("troubleshooting.html", Language::Dutch).empty(), false);
    EXPECT_TRUE(HelpPage("no-such-page.html", Language::English).empty());
}

// A link to a page the language lacks would show an empty window.
TEST(HelpPagesTest, EveryLinkOfEveryPageLeadsToAPageOfTheSameLanguage) {
    const std::filesystem::path help =
        HelpPage(kHelpStartPage, Language::English).parent_path().parent_path();
    const std::regex link("href=\"([^\"#:]+)\"");
    int links = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(help)) {
        if (entry.path().extension() != ".html") continue;
        std::ifstream in(entry.path());
        const std::string page{std::istreambuf_iterator<char>(in),
                               std::istreambuf_iterator<char>()};
        for (std::sregex_iterator it(page.begin(), page.end(), link), end; it != end; ++it) {
            ++links;
            EXPECT_TRUE(std::filesystem::exists(entry.path().parent_path() / (*it)[1].str()))
                << entry.path() << " links to " << (*it)[1];
        }
    }
    EXPECT_GE(links, 4);
}

}  // namespace
}  // namespace ui
