// share and name on a private settings file: the share dialog's messages, and what ends up in
// the file.
#include <gtest/gtest.h>

#include "cli_test_support.h"
#include "core/parseini.h"
#include "net/interfaces.h"

namespace {

using cli_test::RunCommand;

class ShareCommandTest : public ::testing::Test {
protected:
    cli_test::CliResult Run(std::vector<std::string> args) {
        args.insert(args.begin(), {"--config", ini_});
        return RunCommand(args);
    }
    std::string Stored(const std::string& name) {
        std::string value;
        utilcpp::CParseini(ini_).GetString("shares", name, value, "<none>");
        return value;
    }

    cli_test::TempFolder temp_;
    std::string ini_ = temp_.Path("wendaro.ini");
};

TEST_F(ShareCommandTest, RefusedSharesSayWhyAndWriteNothing) {
    const std::string folder = temp_.Folder("music");
    const std::string file = temp_.File("notes.txt", "x");
    struct Case {
        std::string name;
        std::string path;
        std::string message;
    };
    // One case per message; the order of the checks is the share check's own test.
    const std::vector<Case> cases = {
        {"", folder, "Please enter the name and path for the new share."},
        {"docs\\old", folder, "Please do not use the '\\' character in your share name."},
        {"Notes", file, "The specified path is not valid."},
        {"  ", folder, "Please enter the name and path for the new share."},
        {"a=b", folder,
         "A share name cannot begin or end with a blank, nor contain a line break, '=', ';' or "
         "'['."},
    };
    for (const auto& check : cases) {
        const auto result = Run({"share", "add", check.name, check.path});
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_EQ(result.err, "wendaro-cli: " + check.message + "\n") << check.name << check.path;
    }
    EXPECT_FALSE(std::filesystem::exists(ini_)) << "a refused share must write nothing";
}

TEST_F(ShareCommandTest, AddStoresTheAbsoluteFolderAndReplacesAnEarlierPath) {
    const std::string first = temp_.Folder("first");
    const std::string second = temp_.Folder("second");
    ASSERT_EQ(Run({"share", "add", "Music", first + "/"}).exitCode, 0);
    EXPECT_EQ(Stored("Music"), first);

    // A relative path is kept as the absolute folder it names now.
    const auto cwd = std::filesystem::current_path();
    std::filesystem::current_path(temp_.Root());
    const auto relative = Run({"share", "add", "Music", "./second/../second"});
    std::filesystem::current_path(cwd);
    ASSERT_EQ(relative.exitCode, 0) << relative.err;
    EXPECT_EQ(Stored("Music"), second);
    const auto listed = Run({"share", "list"});
    EXPECT_EQ(cli_test::LineCount(listed.out), 1) << listed.out;
}

// Names are matched without regard to case: another spelling is refused, and of two in the file
// only the first is listed, with its own folder.
TEST_F(ShareCommandTest, NamesThatDifferOnlyInCaseAreOneShare) {
    const std::string first = temp_.Folder("first");
    const std::string second = temp_.Folder("second");
    ASSERT_EQ(Run({"share", "add", "music", first}).exitCode, 0);
    const auto refused = Run({"share", "add", "MUSIC", second});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(refused.err,
              "wendaro-cli: There is already a share named \"music\"; share names do not differ "
              "in case alone.\n");
    EXPECT_EQ(Stored("music"), first);
    temp_.File("wendaro.ini", "[shares]\nmusic=" + first + "\nMusic=" + second + "\n");
    EXPECT_EQ(Run({"share", "list"}).out, "music  " + first + "\n");
}

// The folder "dir " is shared as itself, not as its neighbour "dir".
TEST_F(ShareCommandTest, AFolderEndingInABlankIsSharedAsItIs) {
    temp_.Folder("dir");
    const std::string spaced = temp_.Folder("dir ");
    ASSERT_EQ(Run({"share", "add", "spaced", spaced}).exitCode, 0);
    EXPECT_EQ(Stored("spaced"), spaced);
    EXPECT_EQ(Run({"share", "list"}).out, "spaced  " + spaced + "\n");
}

TEST_F(ShareCommandTest, ListShowsSharesInFileOrderAndRemoveTakesOnlyTheNamedOne) {
    const std::string music = temp_.Folder("m");
    const std::string photos = temp_.Folder("p");
    const std::string books = temp_.Folder("b");
    EXPECT_TRUE(Run({"share", "list"}).out.empty()) << "no settings file yet";
    for (const auto& [name, folder] :
         {std::pair{"Music", music}, {"Photo album", photos}, {"Books", books}}) {
        ASSERT_EQ(Run({"share", "add", name, folder}).exitCode, 0);
    }
    EXPECT_EQ(Run({"share", "remove", "books"}).exitCode, 0);
    const auto listed = Run({"share", "list"});
    EXPECT_EQ(listed.exitCode, 0);
    EXPECT_EQ(listed.out, "Music        " + music + "\nPhoto album  " + photos + "\n");

    const auto again = Run({"share", "remove", "Books"});
    EXPECT_EQ(again.exitCode, 1);
    EXPECT_EQ(again.err, "wendaro-cli: There is no share named \"Books\".\n");
}

TEST_F(ShareCommandTest, UnwritableSettingsFileIsReported) {
    // A settings "folder" that is a file cannot be created, whoever runs the test.
    const std::string blocker = temp_.File("blocker", "x");
    const auto result =
        RunCommand({"--config", blocker + "/w.ini", "share", "add", "M", temp_.Folder("m")});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(cli_test::LineCount(result.err), 1);
    EXPECT_NE(result.err.find(blocker), std::string::npos) << result.err;
}

TEST(NameCommand, DefaultsToTheMachineNameAndStoresOnlyAStorableOne) {
    cli_test::TempFolder temp;
    const std::string ini = temp.Path("w.ini");
    const auto initial = RunCommand({"--config", ini, "name"});
    EXPECT_EQ(initial.exitCode, 0);
    EXPECT_EQ(initial.out, net::GetLocalHostName() + "\n");
    EXPECT_FALSE(std::filesystem::exists(ini)) << "showing the name writes nothing";

    ASSERT_EQ(RunCommand({"--config", ini, "name", "pc-b"}).exitCode, 0);
    std::string stored;
    utilcpp::CParseini(ini).GetString("global", "hostname", stored, "");
    EXPECT_EQ(stored, "pc-b");
    // A line end would split the setting; the store refuses it rather than corrupt the file.
    const auto refused = RunCommand({"--config", ini, "name", "two\nlines"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(cli_test::LineCount(refused.err), 1);
    EXPECT_EQ(RunCommand({"--config", ini, "name"}).out, "pc-b\n");
}

}  // namespace
