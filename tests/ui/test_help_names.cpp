// The help names the program's menus and commands in bold; each such name must be the one the
// window shows in that language, from the same catalogue entry, or the help sends users to
// commands that do not exist.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <set>

#include "ui/text/ui_strings.h"

namespace ui {
namespace {

constexpr StringId kNamedInHelp[] = {
    StringId::MenuFile,        StringId::MenuTools,           StringId::MenuHelp,
    StringId::MenuDownload,    StringId::MenuDownloadTo,      StringId::MenuAddShare,
    StringId::MenuRemoveShare, StringId::MenuShareProperties, StringId::MenuAddHostManually,
    StringId::MenuRemoveHost,  StringId::MenuRefresh,         StringId::MenuClose,
    StringId::MenuOptions,     StringId::MenuHelpTopics,      StringId::MenuCancel,
    StringId::TooltipUp,       StringId::TooltipAddShare,     StringId::TooltipOptions,
    StringId::SendButton};

// Commands whose texts the front end keeps as English literals.
constexpr const char* kLiteralsNamedInHelp[] = {"&Find a missing computer…", "Check", "&Pause",
                                                "&Resume"};

// As the window shows it: without the accelerator marks; "Download to %s" without its folder.
std::string Shown(std::string text) {
    std::erase(text, '&');
    if (const auto at = text.find(" %s"); at != std::string::npos) text.erase(at);
    return text;
}

TEST(HelpTest, EveryBoldNameIsAMenuOrCommandOfTheWindowInThatLanguage) {
    const std::filesystem::path help = std::filesystem::path(WENDARO_SOURCE_DIR) / "help";
    int pages = 0;
    for (const Language language : {Language::English, Language::Spanish, Language::German,
                                    Language::French, Language::Italian, Language::Dutch}) {
        std::set<std::string> names;
        for (const StringId id : kNamedInHelp) names.insert(Shown(Text(id, language)));
        for (const char* english : kLiteralsNamedInHelp) {
            names.insert(Shown(Translate(english, language)));
        }
        for (const auto& page :
             std::filesystem::directory_iterator(help / LanguageCode(language))) {
            std::ifstream in(page.path());
            const std::string html{std::istreambuf_iterator<char>(in), {}};
            ++pages;
            const std::regex bold("<b>([^<]*)</b>");
            int found = 0;
            for (std::sregex_iterator it(html.begin(), html.end(), bold), end; it != end; ++it) {
                // A name may be broken over two lines of the source.
                const std::string name =
                    std::regex_replace((*it)[1].str(), std::regex("\\s+"), " ");
                EXPECT_TRUE(names.count(name)) << page.path() << ": \"" << name << "\"";
                ++found;
            }
            EXPECT_GT(found, 0) << page.path();
        }
    }
    EXPECT_EQ(pages, 12);
}

}  // namespace
}  // namespace ui
