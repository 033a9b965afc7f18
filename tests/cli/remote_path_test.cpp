// How typed paths become host paths.
#include "cli/remote_path.h"

#include <gtest/gtest.h>

#include "cli_test_support.h"

namespace {

TEST(RemotePath, TypedPathsBecomeHostPaths) {
    const std::pair<const char*, const char*> cases[] = {
        {"", "\\"}, {"//Music//Live/", "\\Music\\Live"}, {"\\Music\\Live\\", "\\Music\\Live"}};
    for (const auto& [typed, path] : cases)
        EXPECT_EQ(cli::NormalizeRemotePath(typed), path) << typed;
    EXPECT_EQ(cli::RemoteJoin("\\Music\\", "a.mp3"), "\\Music\\a.mp3");
}

}  // namespace
