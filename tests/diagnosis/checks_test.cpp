#include <gtest/gtest.h>

#include "diagnosis/firewall_check.h"
#include "diagnosis/interfaces_check.h"
#include "diagnosis/read_command.h"

namespace diagnosis {
namespace {

TEST(ClassifyInterface, NamesVpnsAndBridges) {
    EXPECT_EQ(ClassifyInterface("eth0", false, false), InterfaceKind::Lan);
    EXPECT_EQ(ClassifyInterface("wlp3s0", false, false), InterfaceKind::Lan);
    EXPECT_EQ(ClassifyInterface("wg0", false, false), InterfaceKind::Vpn);
    EXPECT_EQ(ClassifyInterface("tun0", false, false), InterfaceKind::Vpn);
    EXPECT_EQ(ClassifyInterface("corp", true, false), InterfaceKind::Vpn);
    EXPECT_EQ(ClassifyInterface("docker0", false, false), InterfaceKind::ContainerBridge);
    EXPECT_EQ(ClassifyInterface("virbr0", false, false), InterfaceKind::ContainerBridge);
    EXPECT_EQ(ClassifyInterface("lo", false, true), InterfaceKind::Loopback);
}

InterfaceFact Interface(const char* name, Ipv4 address, InterfaceKind kind, bool up = true) {
    return {name,
            address,
            htonl(0xFFFFFF00u),
            address | htonl(0xFFu),
            up,
            kind,
            up && kind != InterfaceKind::Loopback};
}

TEST(JudgeInterfaces, NoNetworkVpnAndLan) {
    const Ipv4 lan = htonl(0x0A4D0001u);  // 10.77.0.1
    EXPECT_EQ(JudgeInterfaces({Interface("lo", htonl(0x7F000001u), InterfaceKind::Loopback)}).mark,
              Mark::Problem);
    EXPECT_EQ(JudgeInterfaces({Interface("eth0", lan, InterfaceKind::Lan, false)}).mark,
              Mark::Problem);
    const Finding vpn = JudgeInterfaces({Interface("eth0", lan, InterfaceKind::Lan),
                                         Interface("wg0", htonl(0x0A080001u), InterfaceKind::Vpn)});
    EXPECT_EQ(vpn.mark, Mark::Warning);
    EXPECT_EQ(vpn.summary.args, std::vector<std::string>{"wg0"});
    EXPECT_EQ(JudgeInterfaces({Interface("eth0", lan, InterfaceKind::Lan)}).mark, Mark::Good);
    EXPECT_TRUE(InSameSubnet({Interface("eth0", lan, InterfaceKind::Lan)}, htonl(0x0A4D0063u)));
    EXPECT_FALSE(InSameSubnet({Interface("eth0", lan, InterfaceKind::Lan)}, htonl(0x0A4E0004u)));
}

FirewallFacts Rules(const std::string& rules) {
    return {true, rules, {}, false};
}

TEST(JudgeFirewall, ReadsWhatStandsInTheWay) {
    const Finding dropped = JudgeFirewall(
        Rules("table inet filter {\n\tchain input {\n\t\ttype filter hook input priority filter; "
              "policy accept;\n\t\ttcp dport 12346 drop\n\t}\n}\n"));
    EXPECT_EQ(dropped.mark, Mark::Problem);
    EXPECT_EQ(dropped.details, std::vector<std::string>{"tcp dport 12346 drop"});

    const std::string closedByDefault =
        "table inet filter {\n\tchain input {\n\t\ttype filter hook input priority filter; policy "
        "drop;\n\t\ttcp dport 22 accept\n";
    EXPECT_EQ(JudgeFirewall(Rules(closedByDefault + "\t}\n}\n")).mark, Mark::Problem);
    EXPECT_EQ(JudgeFirewall(Rules(closedByDefault + "\t\tudp dport 12345 accept\n\t}\n}\n")).mark,
              Mark::Good);

    EXPECT_EQ(JudgeFirewall(Rules("table ip t {\n\tchain c {\n\t\tip saddr 192.0.2.1 drop\n")).mark,
              Mark::Warning);
    EXPECT_EQ(JudgeFirewall(Rules("")).mark, Mark::Good);
    const Finding unreadable = JudgeFirewall({false, {}, "Operation not permitted", true});
    EXPECT_EQ(unreadable.mark, Mark::Warning);
    EXPECT_EQ(unreadable.summary.args, std::vector<std::string>{"Operation not permitted"});
}

TEST(ReadCommandOutput, OutputErrorsAndBounds) {
    using std::chrono::milliseconds;
    const auto hello = ReadCommandOutput({"sh", "-c", "echo hello"}, milliseconds(5000), 100);
    ASSERT_TRUE(hello);
    EXPECT_EQ(hello.value(), "hello\n");
    const auto failed =
        ReadCommandOutput({"sh", "-c", "echo 'not allowed' >&2; exit 1"}, milliseconds(5000), 100);
    ASSERT_FALSE(failed);
    EXPECT_EQ(failed.error().detail, "not allowed");
    EXPECT_FALSE(ReadCommandOutput({"no-such-program-here"}, milliseconds(5000), 100));
    const auto start = std::chrono::steady_clock::now();
    const auto hung = ReadCommandOutput({"sleep", "30"}, milliseconds(300), 100);
    EXPECT_FALSE(hung);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    const auto chatty = ReadCommandOutput({"yes"}, milliseconds(5000), 10'000);
    ASSERT_FALSE(chatty);
    EXPECT_EQ(chatty.error().detail, "too much output");
}

}  // namespace
}  // namespace diagnosis
