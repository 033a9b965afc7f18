// The URL-to-file mapping: every spelling that could reach outside a share is refused before the
// file system sees it, and every ordinary name (spaces, UTF-8, a literal "%") still arrives.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/settings_keys.h"
#include "support/temp_folder.h"
#include "web/share_target.h"
#include "web/url_path.h"

namespace {

using testing_support::TempFolder;
using web::TargetKind;

std::vector<std::string> Split(std::string_view raw, bool* ok = nullptr) {
    std::vector<std::string> components;
    bool trailing = false;
    const bool split = web::SplitUrlPath(raw, components, trailing);
    if (ok != nullptr) *ok = split;
    return components;
}

TEST(UrlPathTest, DecodesOrdinaryNamesOnce) {
    bool ok = false;
    EXPECT_EQ(Split("/s/My%20Share/gr%C3%BCn+x/", &ok),
              (std::vector<std::string>{"s", "My Share", "grün+x"}));
    EXPECT_TRUE(ok);
    // An escaped escape is a literal "%" in the name, not a second round of decoding.
    EXPECT_EQ(Split("/a/%252e%252e", &ok), (std::vector<std::string>{"a", "%2e%2e"}));
    EXPECT_TRUE(ok);
    EXPECT_TRUE(Split("/", &ok).empty());
    EXPECT_TRUE(ok);
}

TEST(UrlPathTest, RefusesEverySpellingOfClimbingOrHiding) {
    for (const char* raw : {"/a/..",
                            "/a/../b",
                            "/a/%2e%2e/b",
                            "/a/%2E%2E",
                            "/a/.",
                            "/a/%2e",
                            "/a/..%2fb",
                            "/a/%2f",
                            "/a/..%5cb",
                            "/a/%5c",
                            "/a\\b",
                            "/a/b%00.txt",
                            "/a/%00",
                            "/a/%0a",
                            "/a/%c0%ae%c0%ae",
                            "/a/%c0%af",
                            "/a/%e0%80%ae",
                            "/a/%f0%80%80%ae",
                            "/a/%ed%a0%80",
                            "/a/%f4%90%80%80",
                            "/a/%ff",
                            "/a/%c3",
                            "/a//b",
                            "//a",
                            "/a/%zz",
                            "/a/%2",
                            "/a/%",
                            "a/b",
                            ""}) {
        bool ok = true;
        Split(raw, &ok);
        EXPECT_FALSE(ok) << raw;
    }
}

TEST(UrlPathTest, ValidUtf8IsExactlyTheShortestForms) {
    EXPECT_TRUE(web::IsValidUtf8("plain \xc3\xbc \xe2\x82\xac \xf0\x9f\x98\x80"));
    EXPECT_TRUE(web::IsValidUtf8("\xf4\x8f\xbf\xbf"));   // U+10FFFF
    EXPECT_FALSE(web::IsValidUtf8("\xc1\xbf"));          // overlong 0x7f
    EXPECT_FALSE(web::IsValidUtf8("\xe0\x9f\xbf"));      // overlong 0x7ff
    EXPECT_FALSE(web::IsValidUtf8("\xf0\x8f\xbf\xbf"));  // overlong 0xffff
    EXPECT_FALSE(web::IsValidUtf8("\xed\xbf\xbf"));      // surrogate
    EXPECT_FALSE(web::IsValidUtf8("\xe2\x82"));          // cut short
    EXPECT_FALSE(web::IsValidUtf8("\x80"));              // stray continuation
}

TEST(UrlPathTest, EncodedComponentsComeBackUnchanged) {
    for (const std::string name : {"a b", "100%", "x/y", "grün", "?#&=+;", "..."}) {
        std::string decoded;
        ASSERT_TRUE(web::PercentDecode(web::PercentEncode(name), decoded));
        EXPECT_EQ(decoded, name);
        EXPECT_EQ(web::PercentEncode(name).find_first_of("/?#&= "), std::string::npos) << name;
    }
}

class ShareTargetTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(temp_.Valid());
        temp_.MakeFile("share/sub/file.txt", "inside");
        temp_.MakeFile("outside/secret.txt", "secret");
        std::filesystem::create_symlink(temp_.Path("outside"), temp_.Path("share/out"));
        std::filesystem::create_symlink(temp_.Path("share/sub"), temp_.Path("share/in"));
        utilcpp::CParseini settings(temp_.IniPath());
        ASSERT_TRUE(settings.SetString(settings_keys::kShares, "docs", temp_.Path("share")));
    }
    web::ShareTarget Resolve(std::string_view url) const {
        return web::ResolveUrl(utilcpp::CParseini(temp_.IniPath()), url, "/s/");
    }
    TempFolder temp_;
};

TEST_F(ShareTargetTest, NamesInsideTheShareResolve) {
    EXPECT_EQ(Resolve("/s/docs/").kind, TargetKind::Folder);
    EXPECT_EQ(Resolve("/s/DOCS/sub").kind, TargetKind::Folder);
    const auto file = Resolve("/s/docs/sub/file.txt");
    ASSERT_EQ(file.kind, TargetKind::File);
    EXPECT_EQ(file.local.path, std::filesystem::canonical(temp_.Path("share/sub/file.txt")));
    EXPECT_EQ(file.components, (std::vector<std::string>{"docs", "sub", "file.txt"}));
    // A link that stays inside the share is followed.
    EXPECT_EQ(Resolve("/s/docs/in/file.txt").kind, TargetKind::File);
}

TEST_F(ShareTargetTest, NothingOutsideOrMissingIsFound) {
    for (const char* url : {"/s/docs/out/secret.txt", "/s/docs/out/", "/s/docs/missing.txt",
                            "/s/docs/sub/file.txt/x", "/s/other/", "/s/%20/"}) {
        EXPECT_EQ(Resolve(url).kind, TargetKind::NotFound) << url;
    }
    for (const char* url : {"/s/docs/../outside/secret.txt", "/s/docs/%2e%2e/outside/secret.txt",
                            "/s/docs/sub%2f..%2f..%2foutside", "/s/", "/x/docs/", "/s/docs/%00"}) {
        EXPECT_EQ(Resolve(url).kind, TargetKind::BadRequest) << url;
    }
}

}  // namespace
