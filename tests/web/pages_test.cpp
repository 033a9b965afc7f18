// The pages: names escaped in text and links, folders before files in every order, the filter,
// and the reader's language chosen from Accept-Language.
#include <gtest/gtest.h>

#include "web/html_pages.h"
#include "web/web_assets.h"
#include "web/web_text.h"

namespace {

using web::FolderEntry;

std::vector<std::string> Names(const std::vector<FolderEntry>& entries) {
    std::vector<std::string> names;
    names.reserve(entries.size());
    for (const auto& entry : entries) names.push_back(entry.name);
    return names;
}

TEST(PagesTest, HostileNamesAreEscapedInTextAndLinks) {
    const web::PageReader reader{nullptr, {}, "pc<a>"};
    const std::vector<FolderEntry> entries = {{"<img src=x onerror=alert(1)>\"'&.txt", 3, 0, false},
                                              {"a b", 0, 0, true}};
    const std::string page = web::RenderFolder(reader, {"s\"x", "sub"}, entries, {}, 0);
    EXPECT_EQ(page.find("<img src=x"), std::string::npos);
    EXPECT_NE(page.find("&lt;img src=x onerror=alert(1)&gt;&quot;&#39;&amp;.txt"),
              std::string::npos);
    EXPECT_NE(
        page.find(
            "href=\"/s/s%22x/sub/%3Cimg%20src%3Dx%20onerror%3Dalert%281%29%3E%22%27%26.txt\""),
        std::string::npos);
    EXPECT_NE(page.find("href=\"/s/s%22x/sub/a%20b/\""), std::string::npos);
    EXPECT_NE(page.find("pc&lt;a&gt;"), std::string::npos);
    EXPECT_EQ(page.find("<script"), std::string::npos);
    EXPECT_EQ(page.find("style="), std::string::npos);
}

TEST(PagesTest, FoldersComeFirstInEveryOrderAndTheFilterIgnoresCase) {
    const std::vector<FolderEntry> all = {{"b.txt", 30, 100, false},
                                          {"Zeta", 0, 50, true},
                                          {"A.txt", 10, 300, false},
                                          {"alpha", 0, 60, true},
                                          {"c.bin", 20, 200, false}};
    auto entries = all;
    web::ArrangeEntries(entries, web::ParseFolderView("name", "asc", ""));
    EXPECT_EQ(Names(entries),
              (std::vector<std::string>{"alpha", "Zeta", "A.txt", "b.txt", "c.bin"}));
    entries = all;
    web::ArrangeEntries(entries, web::ParseFolderView("size", "desc", ""));
    EXPECT_EQ(Names(entries),
              (std::vector<std::string>{"Zeta", "alpha", "b.txt", "c.bin", "A.txt"}));
    entries = all;
    web::ArrangeEntries(entries, web::ParseFolderView("date", "asc", "A"));
    EXPECT_EQ(Names(entries), (std::vector<std::string>{"Zeta", "alpha", "A.txt"}));
}

TEST(PagesTest, EachEntryShowsTheIconOfItsTypeAndEveryIconIsServed) {
    const std::vector<FolderEntry> entries = {
        {"Trip", 0, 0, true},      {"photo.JPG", 1, 0, false},  {"song.flac", 1, 0, false},
        {"clip.mp4", 1, 0, false}, {"backup.tar", 1, 0, false}, {"notes.txt", 1, 0, false},
        {"README", 1, 0, false},   {"jpg", 1, 0, false}};
    const std::string page = web::RenderFolder({nullptr, {}, "pc"}, {"s"}, entries, {}, 0);
    std::vector<std::string> shown;
    for (std::size_t at = page.find("<li>"); at != std::string::npos;
         at = page.find("<li>", at + 1)) {
        constexpr std::string_view kSource = "src=\"/_/";
        const std::size_t icon = page.find(kSource, at) + kSource.size();
        shown.push_back(page.substr(icon, page.find('"', icon) - icon));
    }
    EXPECT_EQ(shown, (std::vector<std::string>{"folder.svg", "image.svg", "audio.svg", "video.svg",
                                               "archive.svg", "file.svg", "file.svg", "file.svg"}));
    for (const std::string& icon : shown) {
        bool served = false;
        for (const web::WebAsset& asset : web::WebAssets()) served = served || asset.name == icon;
        EXPECT_TRUE(served) << icon;
    }
}

TEST(PagesTest, LanguagesFollowTheirWeights) {
    EXPECT_EQ(web::AcceptedLanguages("fr-CH, fr;q=0.9, en;q=0.8, de;q=0.7, *;q=0.5"),
              (std::vector<std::string>{"fr", "en", "de"}));
    EXPECT_EQ(web::AcceptedLanguages("nl;q=0.2,IT,es;q=0"), (std::vector<std::string>{"it", "nl"}));
    EXPECT_TRUE(web::AcceptedLanguages("").empty());
    const web::Translator german = [](const char* english, const std::vector<std::string>& codes) {
        return !codes.empty() && codes.front() == "de" && std::string(english) == "Shares"
                   ? "Freigaben"
                   : english;
    };
    const web::PageReader reader{&german, web::AcceptedLanguages("de-DE"), "pc"};
    const std::string page = web::RenderShareList(reader, {"music"});
    EXPECT_NE(page.find("<html lang=\"de\">"), std::string::npos);
    EXPECT_NE(page.find(">Freigaben<"), std::string::npos);
}

}  // namespace
