// share and name on a private settings file: the share checks and their messages, and what ends
// up in the file.
#include <gtest/gtest.h>

#include <map>
#include <tuple>

#include "cli_test_support.h"
#include "core/parseini.h"
#include "core/share_check.h"
#include "net/interfaces.h"

namespace {

using cli_test::RunCommand;
using utilcpp::ShareProblem;

class ShareCommandTest : public ::testing::Test {
protected:
    cli_test::CliResult Run(std::vector<std::string> args) {
        args.insert(args.begin(), {"--config", ini_});
        return RunCommand(args);
    }
    std::string Stored(const std::string& name, const std::string& section = "shares") {
        std::string value;
        utilcpp::CParseini(ini_).GetString(section, name, value, "<none>");
        return value;
    }

    testing_support::TempFolder temp_;
    std::string ini_ = temp_.Path("wendaro.ini");
};

// The first failing check is the one reported; names are taken as they are (blanks inside and
// other hosts' conventions are fine, but nothing the settings file would read back otherwise)
// and folders may be links. A refused share says why and writes nothing.
TEST_F(ShareCommandTest, TheFirstFailingCheckSaysWhyAndWritesNothing) {
    namespace fs = std::filesystem;
    const std::string folder = temp_.MakeFolder("Music");
    const std::string file = temp_.MakeFile("notes.txt", "x");
    const std::string missing = temp_.Path("missing");
    fs::create_directory_symlink(folder, temp_.Path("to-folder"));
    fs::create_symlink(missing, temp_.Path("dangling"));
    using P = ShareProblem;
    const std::tuple<std::string, std::string, ShareProblem> cases[] = {
        {"docs\\old", "", P::NameOrPathEmpty},
        {" \t", folder, P::NameOrPathEmpty},
        {"docs\\old", missing, P::BackslashInName},
        {"docs", file, P::PathNotAFolder},
        {"docs", temp_.Path("dangling"), P::PathNotAFolder},
        {"docs ", missing, P::NameNotStorable},
        {"a=b", folder, P::NameNotStorable},
        {"a\nb", folder, P::NameNotStorable},
        {"docs", temp_.MakeFolder("two\nlines"), P::PathNotStorable},
        {"docs", temp_.Path("to-folder"), P::None},
        {"My docs (old)", folder, P::None},
        {"a/b", folder, P::None}};
    const std::map<ShareProblem, std::string> messages = {
        {P::NameOrPathEmpty, "Please enter the name and path for the new share."},
        {P::BackslashInName, "Please do not use the '\\' character in your share name."},
        {P::PathNotAFolder, "The specified path is not valid."},
        {P::NameNotStorable,
         "A share name cannot begin or end with a blank, nor contain a line break, '=', ';' or "
         "'['."},
        {P::PathNotStorable,
         "The folder's path contains a line break, which the settings file cannot keep."}};
    for (const auto& [name, path, problem] : cases) {
        EXPECT_EQ(utilcpp::CheckShare(name, path), problem) << name << " " << path;
        if (problem == P::None) continue;
        const auto result = Run({"share", "add", name, path});
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_EQ(result.err, "wendaro-cli: " + messages.at(problem) + "\n") << name << " " << path;
    }
    EXPECT_FALSE(fs::exists(ini_)) << "a refused share must write nothing";
}

// The folder is kept as the absolute folder it names now, a trailing blank and all: "dir " must
// not become its neighbour "dir".
TEST_F(ShareCommandTest, AddStoresTheAbsoluteFolderAsItIsAndReplacesAnEarlierPath) {
    const std::string first = temp_.MakeFolder("first");
    temp_.MakeFolder("dir");
    const std::string spaced = temp_.MakeFolder("dir ");
    ASSERT_EQ(Run({"share", "add", "Music", first + "/"}).exitCode, 0);
    EXPECT_EQ(Stored("Music"), first);
    const auto cwd = std::filesystem::current_path();
    std::filesystem::current_path(temp_.Root());
    const auto relative = Run({"share", "add", "Music", "./dir /../dir "});
    std::filesystem::current_path(cwd);
    ASSERT_EQ(relative.exitCode, 0) << relative.err;
    EXPECT_EQ(Stored("Music"), spaced);
    EXPECT_EQ(Run({"share", "list"}).out, "Music  " + spaced + "\n");
}

// Names are matched without regard to case: another spelling is refused, remove takes any
// spelling. Of two in the file only the first counts: the server tests'.
TEST_F(ShareCommandTest, ListShowsSharesInFileOrderAndNamesDifferingInCaseAreOneShare) {
    const std::string music = temp_.MakeFolder("m");
    const std::string photos = temp_.MakeFolder("p");
    EXPECT_TRUE(Run({"share", "list"}).out.empty()) << "no settings file yet";
    for (const auto& [name, folder] :
         {std::pair{"music", music}, {"Photo album", photos}, {"Books", temp_.MakeFolder("b")}}) {
        ASSERT_EQ(Run({"share", "add", name, folder}).exitCode, 0);
    }
    const auto refused = Run({"share", "add", "MUSIC", photos});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(refused.err,
              "wendaro-cli: There is already a share named \"music\"; share names do not differ "
              "in case alone.\n");
    EXPECT_EQ(Run({"share", "remove", "books"}).exitCode, 0);
    EXPECT_EQ(Run({"share", "list"}).out,
              "music        " + music + "\nPhoto album  " + photos + "\n");
    EXPECT_EQ(Run({"share", "remove", "Books"}).err,
              "wendaro-cli: There is no share named \"Books\".\n");
}

// Storing a name is the end-to-end user service test's. Global options may follow the command.
TEST_F(ShareCommandTest, NameDefaultsToTheMachineNameAndStoresOnlyAStorableOne) {
    EXPECT_EQ(Run({"name"}).out, net::GetLocalHostName() + "\n");
    EXPECT_FALSE(std::filesystem::exists(ini_)) << "showing the name writes nothing";
    ASSERT_EQ(RunCommand({"name", "--config", ini_, "pc-b"}).exitCode, 0);
    // A line end would split the setting; the store refuses it rather than corrupt the file.
    const auto refused = Run({"name", "two\nlines"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(cli_test::LineCount(refused.err), 1);
    EXPECT_EQ(Run({"name"}).out, "pc-b\n");
}

}  // namespace
