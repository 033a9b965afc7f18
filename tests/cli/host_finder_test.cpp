// A host named on the command line: a second host of the same name may be a look-alike, so the
// name is refused and the candidates are listed.
#include "cli/host_finder.h"

#include <gtest/gtest.h>

#include "ui/text/ui_strings.h"

namespace {

cli::FoundHost Host(Ipv4 address, const std::string& name, bool answered = true) {
    cli::FoundHost host;
    host.address = address;
    host.info.hostName = name;
    host.answered = answered;
    return host;
}

TEST(HostByName, OneMatchIsTakenAndASharedNameIsRefusedWithTheCandidates) {
    ui::SetCurrentLanguage(ui::Language::English);
    Ipv4 address = 0;
    std::string error;
    const std::vector<cli::FoundHost> found{Host(0x0100000a, "Beta"), Host(0x0200000a, "alpha"),
                                            Host(0x0300000a, "BETA", false)};
    ASSERT_TRUE(cli::ChooseHostByName(found, "beta", address, error)) << error;
    EXPECT_EQ(address, 0x0100000au);
    std::vector<cli::FoundHost> twins = found;
    twins.push_back(Host(0x0400000a, "beta"));
    address = 0;
    EXPECT_FALSE(cli::ChooseHostByName(twins, "Beta", address, error));
    EXPECT_EQ(address, 0u);
    EXPECT_EQ(error,
              "More than one host is named \"Beta\" (10.0.0.1, 10.0.0.4); give the address of "
              "the one you mean.");
    EXPECT_FALSE(cli::ChooseHostByName(found, "gamma", address, error));
    EXPECT_NE(error.find("Cannot find the host \"gamma\""), std::string::npos);
}

}  // namespace
