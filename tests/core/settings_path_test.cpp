#include "core/settings_path.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>

#include "core/parseini.h"
#include "core/temp_folder.h"

namespace utilcpp {
namespace {

// Sets or clears an environment variable for one test and restores it afterwards.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        value ? ::setenv(name, value, 1) : ::unsetenv(name);
    }
    ~ScopedEnvironment() { old_ ? ::setenv(name_, old_->c_str(), 1) : ::unsetenv(name_); }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    const char* name_;
    std::optional<std::string> old_;
};

class SettingsPathTest : public ::testing::Test {
protected:
    TempFolder folder_;
    std::string executable_ = folder_.Path("bin/wendaro");
    ScopedEnvironment xdg_{"XDG_CONFIG_HOME", folder_.Path("config").c_str()};
    ScopedEnvironment home_{"HOME", folder_.Path("home").c_str()};
};

TEST_F(SettingsPathTest, OverrideWins) {
    EXPECT_EQ(ResolveSettingsPath("/etc/other.ini", executable_), "/etc/other.ini");
}

TEST_F(SettingsPathTest, PortableFileBesideTheExecutableOnlyWhenItExists) {
    EXPECT_EQ(ResolveSettingsPath("", executable_), folder_.Path("config/wendaro/wendaro.ini"));
    std::filesystem::create_directories(folder_.Path("bin"));
    TempFolder::Write(folder_.Path("bin/wendaro.ini"), "");
    EXPECT_EQ(ResolveSettingsPath("", executable_), folder_.Path("bin/wendaro.ini"));
}

TEST_F(SettingsPathTest, HomeConfigWhenXdgIsUnsetOrRelative) {
    for (const char* xdg : {static_cast<const char*>(nullptr), "relative/config"}) {
        ScopedEnvironment override("XDG_CONFIG_HOME", xdg);
        EXPECT_EQ(ResolveSettingsPath("", executable_),
                  folder_.Path("home/.config/wendaro/wendaro.ini"));
    }
}

TEST_F(SettingsPathTest, FirstWriteCreatesTheConfigFolder) {
    CParseini ini(ResolveSettingsPath("", ""));
    ASSERT_TRUE(ini.SetInt("global", "firstinstalled", 1));
    EXPECT_TRUE(std::filesystem::is_regular_file(folder_.Path("config/wendaro/wendaro.ini")));
}

TEST(ExecutablePath, IsTheRunningTestProgram) {
    const std::string path = ExecutablePath();
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(path.front(), '/');
    EXPECT_EQ(std::filesystem::path(path).filename(), "test_core");
}

}  // namespace
}  // namespace utilcpp
