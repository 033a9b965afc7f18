#include "core/share_check.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

#include "support/temp_folder.h"

namespace utilcpp {
namespace {

// The first failing check is the one reported; names are taken as they are (blanks inside and
// other hosts' conventions are fine, but nothing the settings file would read back otherwise)
// and folders may be links.
TEST(ShareCheck, ReportsTheFirstProblem) {
    testing_support::TempFolder temp;
    const std::string folder = temp.Path("Music");
    const std::string file = temp.Path("notes.txt");
    const std::string missing = temp.Path("missing");
    std::filesystem::create_directory(folder);
    testing_support::TempFolder::Write(file, "x");
    std::filesystem::create_directory_symlink(folder, temp.Path("to-folder"));
    std::filesystem::create_symlink(file, temp.Path("to-file"));
    std::filesystem::create_symlink(missing, temp.Path("dangling"));
    const std::string broken = temp.Path("two\nlines");
    std::filesystem::create_directory(broken);
    using P = ShareProblem;
    const std::tuple<std::string, std::string, ShareProblem> cases[] = {
        {"", "", P::NameOrPathEmpty},
        {"docs", "", P::NameOrPathEmpty},
        {"docs\\old", "", P::NameOrPathEmpty},
        {"docs\\old", folder, P::BackslashInName},
        {"docs\\old", missing, P::BackslashInName},
        {"docs", file, P::PathNotAFolder},
        {"docs", missing, P::PathNotAFolder},
        {"docs", temp.Path("to-file"), P::PathNotAFolder},
        {"docs", temp.Path("dangling"), P::PathNotAFolder},
        {" \t", folder, P::NameOrPathEmpty},
        {"docs ", missing, P::NameNotStorable},
        {" docs", folder, P::NameNotStorable},
        {"a=b", folder, P::NameNotStorable},
        {"a;b", folder, P::NameNotStorable},
        {"[a", folder, P::NameNotStorable},
        {"a\nb", folder, P::NameNotStorable},
        {"docs", broken, P::PathNotStorable},
        {"docs", folder + "/", P::None},
        {"docs", temp.Path("to-folder"), P::None},
        {"My docs (old)", folder, P::None},
        {"a/b", folder, P::None}};
    for (const auto& [name, path, problem] : cases) {
        EXPECT_EQ(CheckShare(name, path), problem) << name << " " << path;
    }
}

}  // namespace
}  // namespace utilcpp
