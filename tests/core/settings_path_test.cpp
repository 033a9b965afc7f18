#include "core/settings_path.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "support/temp_folder.h"

namespace utilcpp {
namespace {

using testing_support::TempFolder;

// Without XDG_CONFIG_HOME the file is under ~/.config: the end-to-end user service test's.
TEST(SettingsPath, OverrideThenPortableFileThenXdg) {
    TempFolder folder;
    const std::string executable = folder.Path("bin/wendaro");
    EXPECT_EQ(ResolveSettingsPath("/etc/other.ini", executable), "/etc/other.ini");
    const char* saved = std::getenv("XDG_CONFIG_HOME");
    const std::string previous = saved ? saved : "";
    ::setenv("XDG_CONFIG_HOME", folder.Path("config").c_str(), 1);
    EXPECT_EQ(ResolveSettingsPath("", executable), folder.Path("config/wendaro/wendaro.ini"));
    std::filesystem::create_directories(folder.Path("bin"));
    TempFolder::Write(folder.Path("bin/wendaro.ini"), "");
    EXPECT_EQ(ResolveSettingsPath("", executable), folder.Path("bin/wendaro.ini"));
    saved ? ::setenv("XDG_CONFIG_HOME", previous.c_str(), 1) : ::unsetenv("XDG_CONFIG_HOME");
}

}  // namespace
}  // namespace utilcpp
