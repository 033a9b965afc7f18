#include "core/settings_path.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "support/temp_folder.h"

namespace utilcpp {
namespace {

using testing_support::TempFolder;

// Points HOME and XDG_CONFIG_HOME into a private folder and restores them afterwards.
class SettingsPathTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"HOME", "XDG_CONFIG_HOME"}) {
            if (const char* value = std::getenv(name)) saved_.emplace_back(name, value);
        }
        ::setenv("HOME", folder_.Path("home").c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", folder_.Path("config").c_str(), 1);
    }
    void TearDown() override {
        for (const char* name : {"HOME", "XDG_CONFIG_HOME"}) ::unsetenv(name);
        for (const auto& [name, value] : saved_) ::setenv(name.c_str(), value.c_str(), 1);
    }

    TempFolder folder_;
    std::string executable_ = folder_.Path("bin/wendaro");
    std::vector<std::pair<std::string, std::string>> saved_;
};

TEST_F(SettingsPathTest, OverrideThenPortableFileThenXdg) {
    EXPECT_EQ(ResolveSettingsPath("/etc/other.ini", executable_), "/etc/other.ini");
    EXPECT_EQ(ResolveSettingsPath("", executable_), folder_.Path("config/wendaro/wendaro.ini"));
    std::filesystem::create_directories(folder_.Path("bin"));
    TempFolder::Write(folder_.Path("bin/wendaro.ini"), "");
    EXPECT_EQ(ResolveSettingsPath("", executable_), folder_.Path("bin/wendaro.ini"));
}

}  // namespace
}  // namespace utilcpp
