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
#include "support/temp_folder.h"

namespace utilcpp {
namespace {

using ::testing::UnorderedElementsAre;
using testing_support::TempFolder;

// Starts `body` in a child process; Succeeded() waits for it to return true there.
template <typename Body>
pid_t Fork(Body body) {
    const pid_t child = ::fork();
    if (child == 0) ::_exit(body() ? 0 : 1);
    return child;
}

bool Succeeded(pid_t child) {
    int status = 0;
    return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

TEST(ParseiniConcurrency, ThreadsAndProcessesLoseNoKeys) {
    TempFolder folder;
    const std::string file = folder.Path("app.ini");
    const auto writeKeys = [&file](const std::string& prefix) {
        CParseini ini(file);
        bool written = true;
        for (int i = 0; i < 25; ++i) written &= ini.SetInt("shared", prefix + std::to_string(i), i);
        return written;
    };
    // Forked before any thread starts, so the child inherits no held lock.
    const pid_t child = Fork([&] { return writeKeys("child"); });
    std::vector<std::thread> threads;
    for (const char* prefix : {"a", "b", "c"})
        threads.emplace_back([&, prefix] { EXPECT_TRUE(writeKeys(prefix)); });
    for (std::thread& thread : threads) thread.join();
    EXPECT_TRUE(Succeeded(child));
    std::vector<std::string> lines, expected;
    for (const char* prefix : {"a", "b", "c", "child"})
        for (int i = 0; i < 25; ++i)
            expected.push_back(prefix + std::to_string(i) + "=" + std::to_string(i));
    CParseini(file).GetSection("shared", lines);
    EXPECT_THAT(lines, ::testing::UnorderedElementsAreArray(expected));
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
        for (CParseini ini(file); !done;) {
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

// A file size limit fails the write part-way as a full disk would; a read-only folder fails it
// where the new file is created.
TEST(ParseiniAtomicity, FailedWriteKeepsTheOldFileAndLeavesNoTemporary) {
    for (const bool fullDisk : {true, false}) {
        SCOPED_TRACE(fullDisk ? "full disk" : "read-only folder");
        TempFolder folder;
        const std::string file = folder.Path("app.ini");
        ASSERT_TRUE(CParseini(file).SetString("global", "hostname", "kept"));
        ASSERT_EQ(::chmod((file + ".lock").c_str(), 0666), 0);
        ASSERT_TRUE(fullDisk || ::chmod(folder.Root().c_str(), 0555) == 0);
        EXPECT_TRUE(Succeeded(Fork([&] {
            const rlimit limit{4096, 4096};
            ::signal(SIGXFSZ, SIG_IGN);
            if (fullDisk) ::setrlimit(RLIMIT_FSIZE, &limit);
            // The superuser ignores permission bits; drop to an ordinary user for the attempt.
            if (!fullDisk && ::geteuid() == 0 && ::setuid(65534) != 0) return false;
            return !CParseini(file).SetString("global", "big", std::string(65536, 'x'));
        })));
        EXPECT_EQ(TempFolder::Read(file), "[global]\nhostname=kept\n");
        EXPECT_THAT(folder.Names(), UnorderedElementsAre("app.ini", "app.ini.lock"));
    }
}

}  // namespace
}  // namespace utilcpp
