#include "core/parseini.h"

#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "core/share_check.h"
#include "support/temp_folder.h"

namespace utilcpp {
namespace {

using testing_support::TempFolder;

using ::testing::IsEmpty;

class ParseiniTest : public ::testing::Test {
protected:
    std::string Get(const std::string& section, const std::string& key) const {
        std::string value;
        ini_.GetString(section, key, value, "<none>");
        return value;
    }

    TempFolder folder_;
    std::string file_ = folder_.Path("app.ini");
    CParseini ini_{file_};
};

// A missing file, key or section, and an empty section, read as their defaults.
TEST_F(ParseiniTest, MissingFileGivesDefaultsAndIsNotCreated) {
    int number = 0;
    std::vector<std::string> lines{"stale"};
    EXPECT_TRUE(ini_.GetInt("global", "sound", number, 1));
    EXPECT_EQ(number, 1);
    EXPECT_EQ(Get("global", "hostname"), "<none>");
    EXPECT_FALSE(ini_.GetSection("shares", lines));
    EXPECT_TRUE(ini_.DeleteKey("shares", "music"));
    EXPECT_THAT(folder_.Names(), IsEmpty());
    TempFolder::Write(file_, "[empty]\r\n; note\r\n\r\n[global]\r\nentry1=a\r\n");
    lines = {"stale"};
    EXPECT_FALSE(ini_.GetSection("EMPTY", lines));
    EXPECT_THAT(lines, IsEmpty());
}

// Every front end and the server take the share names from here: trimmed, in file order, without
// nameless lines or a second spelling of a name that lookups never reach.
TEST_F(ParseiniTest, ShareNamesAreTheKeysLookupsReach) {
    TempFolder::Write(file_, "[shares]\n Music = /m\n=/nameless\nmusic=/x\nVideo=a=b\n; c=d\n");
    EXPECT_EQ(ShareNames(ini_), (std::vector<std::string>{"Music", "Video"}));
}

// A value that would read back as more lines is refused without touching the file.
TEST_F(ParseiniTest, WriteCreatesFoldersFileAndSectionsAndRefusesUnstorableValues) {
    CParseini nested(folder_.Path("a/b/c.ini"));
    ASSERT_TRUE(nested.SetString("shares", "Music", "/home/u/music"));
    ASSERT_TRUE(nested.SetInt("global", "sound", 0));
    EXPECT_FALSE(nested.SetString("shares", "x", "/p\n[global]\nhostname=evil"));
    EXPECT_EQ(TempFolder::Read(folder_.Path("a/b/c.ini")),
              "[shares]\nMusic=/home/u/music\n\n[global]\nsound=0\n");
}

// Blanks and quotes at a value's ends are kept: a folder "dir " must not become "dir".
TEST_F(ParseiniTest, EveryStorableValueReadsBackExactly) {
    for (const char* value : {"dir ", "\tdir\t", "\"quoted\"", "\"\"", " ", "\"", "a \"b\" c"}) {
        ASSERT_TRUE(ini_.SetString("shares", "spaced", value)) << value;
        EXPECT_EQ(Get("shares", "spaced"), value);
        // An unchanged value leaves the file alone; a second object reads the same.
        ASSERT_TRUE(ini_.SetString("shares", "spaced", value));
        std::string again;
        CParseini(file_).GetString("shares", "spaced", again, "");
        EXPECT_EQ(again, value);
    }
}

// The parsed file is kept while its device, inode, size and modification time (to the
// nanosecond) stay the same, and read again as soon as any of them changes.
TEST_F(ParseiniTest, TheFileIsParsedAgainExactlyWhenItChanged) {
    const auto writeInPlace = [&](const std::string& text, long nanoseconds) {
        std::ofstream(file_, std::ios::binary | std::ios::trunc) << text;
        const timespec times[2] = {{1'700'000'000, 0}, {1'700'000'000, nanoseconds}};
        ASSERT_EQ(::utimensat(AT_FDCWD, file_.c_str(), times, 0), 0);
    };
    writeInPlace("[g]\nk=aaa\n", 0);
    EXPECT_EQ(Get("g", "k"), "aaa");
    // Same inode, size and time: what was parsed before answers.
    writeInPlace("[g]\nk=bbb\n", 0);
    EXPECT_EQ(Get("g", "k"), "aaa");
    writeInPlace("[g]\nk=bbb\n", 1);
    EXPECT_EQ(Get("g", "k"), "bbb");
    writeInPlace("[g]\nk=cccc\n", 1);
    EXPECT_EQ(Get("g", "k"), "cccc");
    // Another file renamed over it, as every write does, at the same size and time.
    const std::string other = folder_.Path("other.ini");
    std::ofstream(other, std::ios::binary) << "[g]\nk=dddd\n";
    const timespec times[2] = {{1'700'000'000, 0}, {1'700'000'000, 1}};
    ASSERT_EQ(::utimensat(AT_FDCWD, other.c_str(), times, 0), 0);
    ASSERT_EQ(::rename(other.c_str(), file_.c_str()), 0);
    EXPECT_EQ(Get("g", "k"), "dddd");
    ASSERT_TRUE(CParseini(file_).SetString("g", "k", "e"));
    EXPECT_EQ(Get("g", "k"), "e");
    std::filesystem::remove(file_);
    EXPECT_EQ(Get("g", "k"), "<none>");
}

TEST_F(ParseiniTest, IntegersTakeTheLeadingDecimalNumber) {
    const std::pair<const char*, int> cases[] = {
        {"12px", 12}, {"", 99}, {"0x10", 0}, {"4294967297", 1}, {"-2147483648", -2147483647 - 1}};
    for (const auto& [text, expected] : cases) {
        TempFolder::Write(file_, std::string("[n]\nkey=") + text + "\n");
        int value = 0;
        EXPECT_TRUE(ini_.GetInt("N", "key", value, 99));
        EXPECT_EQ(value, expected) << text;
    }
}

TEST_F(ParseiniTest, PermissionsAndSymbolicLinksSurviveAWrite) {
    ASSERT_TRUE(ini_.SetString("global", "a", "1"));
    ASSERT_EQ(::chmod(file_.c_str(), 0640), 0);
    const std::string link = folder_.Path("link.ini");
    ASSERT_EQ(::symlink(file_.c_str(), link.c_str()), 0);
    ASSERT_TRUE(CParseini(link).SetString("global", "b", "2"));
    struct stat info {};
    ASSERT_EQ(::lstat(link.c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    ASSERT_EQ(::stat(file_.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_EQ(TempFolder::Read(file_), "[global]\na=1\nb=2\n");
}

}  // namespace
}  // namespace utilcpp
