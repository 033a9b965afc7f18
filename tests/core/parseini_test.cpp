#include "core/parseini.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "core/temp_folder.h"
#include "util/trace.h"

namespace utilcpp {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

class ParseiniTest : public ::testing::Test {
protected:
    TempFolder folder_;
    std::string file_ = folder_.Path("app.ini");
    CParseini ini_{file_};
};

TEST_F(ParseiniTest, MissingFileGivesDefaultsAndIsNotCreated) {
    int number = 0;
    std::string text;
    std::vector<std::string> lines{"stale"};
    EXPECT_TRUE(ini_.GetInt("global", "sound", number, 1));
    EXPECT_TRUE(ini_.GetString("global", "hostname", text, "fallback"));
    EXPECT_FALSE(ini_.GetSection("shares", lines));
    EXPECT_TRUE(ini_.DeleteKey("shares", "music"));
    EXPECT_EQ(number, 1);
    EXPECT_EQ(text, "fallback");
    EXPECT_THAT(lines, IsEmpty());
    EXPECT_THAT(folder_.Names(), IsEmpty());
}

TEST_F(ParseiniTest, WriteCreatesFoldersFileAndSection) {
    CParseini nested(folder_.Path("a/b/c.ini"));
    ASSERT_TRUE(nested.SetString("shares", "Music", "/home/u/music"));
    ASSERT_TRUE(nested.SetInt("global", "sound", 0));
    EXPECT_EQ(TempFolder::Read(folder_.Path("a/b/c.ini")),
              "[shares]\nMusic=/home/u/music\n\n[global]\nsound=0\n");
}

TEST_F(ParseiniTest, NamesIgnoreCaseAndTwoObjectsAgree) {
    CParseini other(file_);
    ASSERT_TRUE(ini_.SetString("Shares", "My Music", "/m"));
    std::string value;
    other.GetString("SHARES", "my music", value, "\\\\");
    EXPECT_EQ(value, "/m");
    ASSERT_TRUE(other.SetString("shares", "MY MUSIC", "/n"));
    ASSERT_TRUE(other.DeleteKey("global", "absent"));
    ini_.GetString("shares", "My Music", value, "\\\\");
    EXPECT_EQ(value, "/n");
    ASSERT_TRUE(other.DeleteKey("sHaReS", "my MUSIC"));
    ini_.GetString("shares", "My Music", value, "\\\\");
    EXPECT_EQ(value, "\\\\");
}

TEST_F(ParseiniTest, LongValuesAreReadWhole) {
    for (std::size_t length : {1023u, 1024u, 2049u, 100000u}) {
        std::string value(length, 'v');
        value.front() = '<';
        value.back() = '>';
        ASSERT_TRUE(ini_.SetString("global", "long", value));
        std::string read;
        ini_.GetString("global", "long", read, "");
        EXPECT_EQ(read, value) << length;
        std::vector<std::string> lines;
        ASSERT_TRUE(ini_.GetSection("global", lines));
        EXPECT_THAT(lines, ElementsAre("long=" + value));
    }
}

TEST_F(ParseiniTest, IntegersParseLikeTheProfileFunctions) {
    TempFolder::Write(file_,
                      "[n]\nplain=42\nneg=-17\nplus=+8\ntrail=12px\nnone=abc\nempty=\nhex=0x10\n"
                      "big=4294967297\n");
    const auto read = [&](const char* key) {
        int value = 0;
        EXPECT_TRUE(ini_.GetInt("N", key, value, 99));
        return value;
    };
    EXPECT_EQ(read("plain"), 42);
    EXPECT_EQ(read("neg"), -17);
    EXPECT_EQ(read("plus"), 8);
    EXPECT_EQ(read("trail"), 12);
    EXPECT_EQ(read("none"), 0);
    EXPECT_EQ(read("empty"), 99);
    EXPECT_EQ(read("hex"), 0);
    EXPECT_EQ(read("big"), 1);
    EXPECT_EQ(read("missing"), 99);
    ASSERT_TRUE(ini_.SetInt("n", "written", -2147483647 - 1));
    EXPECT_EQ(read("written"), -2147483647 - 1);
}

TEST_F(ParseiniTest, SectionWithoutKeysGivesFalseAndAnEmptyList) {
    TempFolder::Write(file_, "[empty]\r\n; note\r\n\r\n[x]\r\ny=1\r\n");
    std::vector<std::string> lines{"stale"};
    EXPECT_FALSE(ini_.GetSection("EMPTY", lines));
    EXPECT_THAT(lines, IsEmpty());
    EXPECT_TRUE(ini_.GetSection("X", lines));
    EXPECT_THAT(lines, ElementsAre("y=1"));
}

TEST_F(ParseiniTest, GapsInNumberedKeysReadAsMissing) {
    for (int index : {1, 2, 5}) {
        ASSERT_TRUE(ini_.SetString("global", "hostmruentry" + std::to_string(index),
                                   "host" + std::to_string(index)));
    }
    std::vector<std::string> entries;
    for (int index = 1; index <= 10; ++index) {
        std::string entry;
        ini_.GetString("global", "hostmruentry" + std::to_string(index), entry, "");
        if (entry.empty()) break;
        entries.push_back(entry);
    }
    EXPECT_THAT(entries, ElementsAre("host1", "host2"));
}

TEST_F(ParseiniTest, UnstorableNamesAreRefusedWithoutTouchingTheFile) {
    ASSERT_TRUE(ini_.SetString("shares", "a", "1"));
    const std::string before = TempFolder::Read(file_);
    EXPECT_FALSE(ini_.SetString("shares", "x", "/p\n[global]\nhostname=evil"));
    EXPECT_EQ(TempFolder::Read(file_), before);
}

TEST_F(ParseiniTest, ExistingPermissionsAndSymbolicLinksSurviveAWrite) {
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

TEST_F(ParseiniTest, FailedSetIntTracesTheErrorNumber) {
    TempFolder::Write(folder_.Path("plainfile"), "x");
    const std::string trace = folder_.Path("trace.txt");
    xUtilTraceInit("-debug:" + trace);
    CParseini blocked(folder_.Path("plainfile/app.ini"));
    EXPECT_FALSE(blocked.SetInt("global", "sound", 1));
    EXPECT_FALSE(blocked.SetString("global", "hostname", "x"));
    xUtilTraceClose();
    EXPECT_EQ(TempFolder::Read(trace), "Error number 20: Not a directory\n");
}

TEST(ParseiniFileName, CutAtTheLastDotOfTheWholePath) {
    CParseini ini("unused.ini");
    ini.CreateFromModule("D:\\Programs\\Tool\\app.exe");
    EXPECT_EQ(ini.GetFileName(), "D:\\Programs\\Tool\\app.ini");
    ini.CreateFromModule("D:\\a.b\\prog");
    EXPECT_EQ(ini.GetFileName(), "D:\\a.ini");
    ini.CreateFromModule("/opt/wendaro.d/bin/wendaro");
    EXPECT_EQ(ini.GetFileName(), "/opt/wendaro.ini");
    ini.CreateFromModule("/usr/bin/wendaro");
    EXPECT_EQ(ini.GetFileName(), "/usr/bin/wendaro.ini");
}

TEST(ParseiniFileName, EmptyNameTakesTheSettingsFile) {
    EXPECT_THAT(CParseini().GetFileName(), HasSubstr("wendaro.ini"));
}

}  // namespace
}  // namespace utilcpp
