// Writers in several threads and processes on one file, and a failing write, must never lose or
// damage a key.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <thread>

#include "core/parseini.h"
#include "core/temp_folder.h"

namespace utilcpp {
namespace {

using ::testing::UnorderedElementsAre;

constexpr int kKeysPerWriter = 25;

bool WriteKeys(const std::string& file, const std::string& prefix) {
    CParseini ini(file);
    for (int i = 0; i < kKeysPerWriter; ++i) {
        if (!ini.SetInt("shared", prefix + std::to_string(i), i)) return false;
    }
    return true;
}

void ExpectAllKeys(const std::string& file, const std::vector<std::string>& prefixes) {
    CParseini ini(file);
    std::vector<std::string> lines;
    ini.GetSection("shared", lines);
    EXPECT_EQ(lines.size(), prefixes.size() * kKeysPerWriter);
    for (const std::string& prefix : prefixes) {
        for (int i = 0; i < kKeysPerWriter; ++i) {
            int value = -1;
            ini.GetInt("shared", prefix + std::to_string(i), value, -1);
            EXPECT_EQ(value, i) << prefix << i;
        }
    }
}

// Runs `body` in a child process and returns its exit status (0 = success).
template <typename Body>
int InChild(Body body) {
    const pid_t child = ::fork();
    if (child == 0) ::_exit(body() ? 0 : 1);
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
}

TEST(ParseiniConcurrency, ThreadsLoseNoKeys) {
    TempFolder folder;
    const std::string file = folder.Path("app.ini");
    const std::vector<std::string> prefixes = {"a", "b", "c", "d"};
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (const std::string& prefix : prefixes) {
        threads.emplace_back([&, prefix] {
            if (!WriteKeys(file, prefix)) ++failures;
        });
    }
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(failures, 0);
    ExpectAllKeys(file, prefixes);
}

TEST(ParseiniConcurrency, ProcessesLoseNoKeys) {
    TempFolder folder;
    const std::string file = folder.Path("app.ini");
    const pid_t child = ::fork();
    if (child == 0) ::_exit(WriteKeys(file, "child") ? 0 : 1);
    ASSERT_GT(child, 0);
    const bool parentWrote = WriteKeys(file, "parent");
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(parentWrote);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    ExpectAllKeys(file, {"child", "parent"});
    EXPECT_THAT(folder.Names(), UnorderedElementsAre("app.ini", "app.ini.lock"));
}

TEST(ParseiniAtomicity, ReadersSeeOnlyWholeValues) {
    TempFolder folder;
    const std::string file = folder.Path("app.ini");
    const std::string first(50000, 'a');
    const std::string second(60000, 'b');
    ASSERT_TRUE(CParseini(file).SetString("global", "v", first));
    std::atomic<bool> done{false};
    std::atomic<int> torn{0};
    std::thread reader([&] {
        CParseini ini(file);
        while (!done) {
            std::string value;
            ini.GetString("global", "v", value, "");
            if (value != first && value != second) ++torn;
        }
    });
    CParseini writer(file);
    for (int i = 0; i < 40; ++i) writer.SetString("global", "v", i % 2 ? first : second);
    done = true;
    reader.join();
    EXPECT_EQ(torn, 0);
}

TEST(ParseiniAtomicity, FullDiskKeepsTheOldFileAndLeavesNoTemporary) {
    TempFolder folder;
    const std::string file = folder.Path("app.ini");
    ASSERT_TRUE(CParseini(file).SetString("global", "hostname", "kept"));
    // A file size limit makes the write fail part-way, as a full disk would.
    const int status = InChild([&] {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4096, 4096};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        return !CParseini(file).SetString("global", "big", std::string(65536, 'x'));
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(TempFolder::Read(file), "[global]\nhostname=kept\n");
    EXPECT_THAT(folder.Names(), UnorderedElementsAre("app.ini", "app.ini.lock"));
}

TEST(ParseiniAtomicity, ReadOnlyFolderGivesFalseAndKeepsTheOldFile) {
    TempFolder folder;
    const std::string file = folder.Path("app.ini");
    ASSERT_TRUE(CParseini(file).SetString("global", "hostname", "kept"));
    // Let anyone use the lock file, so that the write fails where the new file is created.
    ASSERT_EQ(::chmod((file + ".lock").c_str(), 0666), 0);
    ASSERT_EQ(::chmod(folder.Root().c_str(), 0555), 0);
    const auto tryWrite = [&] {
        // The superuser ignores permission bits; drop to an ordinary user for the attempt.
        if (::geteuid() == 0 && ::setuid(65534) != 0) return false;
        CParseini ini(file);
        std::string kept;
        ini.GetString("global", "hostname", kept, "");
        return !ini.SetString("global", "hostname", "changed") && kept == "kept";
    };
    EXPECT_EQ(::geteuid() == 0 ? InChild(tryWrite) : (tryWrite() ? 0 : 1), 0);
    EXPECT_EQ(TempFolder::Read(file), "[global]\nhostname=kept\n");
    EXPECT_THAT(folder.Names(), UnorderedElementsAre("app.ini", "app.ini.lock"));
}

}  // namespace
}  // namespace utilcpp
