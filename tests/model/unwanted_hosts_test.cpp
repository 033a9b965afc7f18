#include "model/model_fixture.h"

namespace {

using UnwantedHostsTest = ModelTest;

TEST_F(UnwantedHostsTest, RefusedHostIsUnwantedAtOnceOthersAreNot) {
    net.AddUnwantedHost(Address("10.0.0.5"));
    EXPECT_TRUE(net.IsHostUnwanted(Address("10.0.0.5")));
    EXPECT_FALSE(net.IsHostUnwanted(Address("10.0.0.6")));
}

TEST_F(UnwantedHostsTest, ForgottenAfterTenQuietSeconds) {
    const Ipv4 host = Address("10.0.0.5");
    net.AddUnwantedHost(host);
    now += 10000;
    EXPECT_TRUE(net.IsHostUnwanted(host));  // exactly ten seconds still counts
    now += 10001;
    EXPECT_FALSE(net.IsHostUnwanted(host));
    // The entry is gone, not just stale: going back in time does not revive it.
    now -= 10001;
    EXPECT_FALSE(net.IsHostUnwanted(host));
}

TEST_F(UnwantedHostsTest, RepeatedRequestsKeepItRefused) {
    const Ipv4 host = Address("10.0.0.5");
    net.AddUnwantedHost(host);
    for (int i = 0; i < 200; ++i) {
        now += 5000;
        ASSERT_TRUE(net.IsHostUnwanted(host)) << i;
    }
}

TEST_F(UnwantedHostsTest, ConsecutiveExpiredEntriesAreAllErased) {
    for (int i = 1; i <= 5; ++i)
        net.AddUnwantedHost(Address(("10.0.0." + std::to_string(i)).c_str()));
    net.AddUnwantedHost(Address("10.0.0.3"));  // duplicates are allowed
    now += 20000;
    net.AddUnwantedHost(Address("10.0.0.9"));
    EXPECT_TRUE(net.IsHostUnwanted(Address("10.0.0.9")));
    now -= 20000;
    for (int i = 1; i <= 5; ++i)
        EXPECT_FALSE(net.IsHostUnwanted(Address(("10.0.0." + std::to_string(i)).c_str()))) << i;
}

TEST_F(UnwantedHostsTest, SurvivesTickCounterWrap) {
    const Ipv4 host = Address("10.0.0.5");
    now = 0xFFFFF000u;
    net.AddUnwantedHost(host);
    now += 5000;  // wraps past zero
    EXPECT_TRUE(net.IsHostUnwanted(host));
    now += 10001;
    EXPECT_FALSE(net.IsHostUnwanted(host));
}

}  // namespace
