#include "diagnosis/port_owners.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace diagnosis {
namespace {

// Header, a socket listening on 12346, one connected from 12346, one on another port, a
// broken line.
constexpr std::string_view kTcpTable =
    "  sl  local_address rem_address   st tx_queue rx_queue tr tm->when retrnsmt   uid  timeout "
    "inode\n"
    "   0: 00000000:303A 00000000:0000 0A 00000000:00000000 00:00000000 00000000     0        0 "
    "4242 1 0000000000000000 100 0 0 10 0\n"
    "   1: 0100007F:303A 0100007F:9C40 01 00000000:00000000 00:00000000 00000000     0        0 "
    "5555 1 0000000000000000 20 4 30 10 -1\n"
    "   2: 00000000:303B 00000000:0000 0A 00000000:00000000 00:00000000 00000000     0        0 "
    "7777 1 0000000000000000 100 0 0 10 0\n"
    "   3: garbage\n";

TEST(SocketInodesOnPort, TcpCountsOnlyListeningSocketsOfThePort) {
    EXPECT_EQ(SocketInodesOnPort(kTcpTable, 12346, true), std::vector<unsigned long>{4242});
    EXPECT_EQ(SocketInodesOnPort(kTcpTable, 12347, true), std::vector<unsigned long>{7777});
    EXPECT_TRUE(SocketInodesOnPort(kTcpTable, 80, true).empty());
}

TEST(SocketInodesOnPort, UdpAndIpv6TablesCountEveryBoundSocket) {
    constexpr std::string_view udp6 =
        "  sl  local_address                         remote_address                        st "
        "tx_queue rx_queue tr tm->when retrnsmt   uid  timeout inode ref pointer drops\n"
        "  1: 00000000000000000000000000000000:3039 00000000000000000000000000000000:0000 07 "
        "00000000:00000000 00:00000000 00000000     0        0 9191 2 0000000000000000 0\n";
    EXPECT_EQ(SocketInodesOnPort(udp6, 12345, false), std::vector<unsigned long>{9191});
}

class FakeProc : public ::testing::Test {
protected:
    void SetUp() override {
        root_ =
            std::filesystem::temp_directory_path() / ("wendaro-proc-" + std::to_string(::getpid()));
        std::filesystem::remove_all(root_);
        AddProcess(100, "socat", {"socket:[4242]", "/dev/null"});
        AddProcess(200, "wendaro-cli", {"socket:[9191]"});
        AddProcess(300, "bash", {"pipe:[4242]"});
        std::filesystem::create_directories(root_ / "self");  // not a process number
    }
    void TearDown() override { std::filesystem::remove_all(root_); }

    void AddProcess(int pid, const std::string& name, const std::vector<std::string>& links) {
        const auto folder = root_ / std::to_string(pid);
        std::filesystem::create_directories(folder / "fd");
        std::ofstream(folder / "comm") << name << '\n';
        int fd = 3;
        for (const std::string& target : links) {
            std::filesystem::create_symlink(target, folder / "fd" / std::to_string(fd++));
        }
    }

    std::filesystem::path root_;
};

TEST_F(FakeProc, FindsTheProcessesHoldingTheSockets) {
    const auto owners = ProcessesHoldingSockets({4242}, root_.string());
    ASSERT_EQ(owners.size(), 1u);
    EXPECT_EQ(owners[0].pid, 100);
    EXPECT_EQ(owners[0].name, "socat");
    EXPECT_TRUE(ProcessesHoldingSockets({1}, root_.string()).empty());
    EXPECT_TRUE(ProcessesHoldingSockets({4242}, (root_ / "missing").string()).empty());
}

TEST(JudgePorts, AnotherProgramOnOurPortIsTheProblem) {
    bool taken = false;
    const std::vector<PortUse> uses{{12345, true, true, {{200, "wendaro-cli"}}},
                                    {12346, false, true, {{100, "socat"}}},
                                    {12347, false, false, {}}};
    const Finding finding = JudgePorts(uses, taken);
    EXPECT_TRUE(taken);
    EXPECT_EQ(finding.mark, Mark::Problem);
    ASSERT_EQ(finding.summary.args.size(), 2u);
    EXPECT_EQ(finding.summary.args[0], "12346/tcp");
    EXPECT_EQ(finding.summary.args[1], "socat (100)");
}

TEST(JudgePorts, OursOrFree) {
    bool taken = true;
    const std::vector<PortUse> ours{{12345, true, true, {{1, "wendaro"}}},
                                    {12346, false, true, {{1, "wendaro"}}},
                                    {12347, false, true, {{1, "wendaro"}}}};
    EXPECT_EQ(JudgePorts(ours, taken).mark, Mark::Good);
    EXPECT_FALSE(taken);
    const std::vector<PortUse> free{{12345, true, false, {}}, {12346, false, false, {}}};
    EXPECT_EQ(JudgePorts(free, taken).mark, Mark::Warning);
    EXPECT_FALSE(taken);
    // Bound, but by a process this user may not look into: still not ours.
    const std::vector<PortUse> hidden{{12346, false, true, {}}};
    EXPECT_EQ(JudgePorts(hidden, taken).mark, Mark::Problem);
    EXPECT_TRUE(taken);
}

}  // namespace
}  // namespace diagnosis
