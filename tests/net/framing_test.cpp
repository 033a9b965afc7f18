#include "net/framing.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <tuple>

#include "support/allocation_probe.h"
#include "support/loopback.h"

namespace {

using testing_support::MakeLoopbackPair;
using testing_support::WriteRaw;

// Feeds raw bytes (then end of stream) to ReceiveString and reports its result.
bool ReceiveFromRaw(std::string_view raw, std::string& out, std::size_t maxLength) {
    auto pair = MakeLoopbackPair();
    EXPECT_TRUE(pair.valid());
    EXPECT_TRUE(WriteRaw(pair.client.get(), raw));
    ::shutdown(pair.client.get(), SHUT_WR);  // the peer reads end-of-stream
    return net::ReceiveString(pair.server.get(), out, nullptr, maxLength);
}

TEST(Framing, HeaderMustBePlainDecimalBelowSixtyFourCharactersAndPayloadComplete) {
    using namespace std::string_literals;
    std::string out;
    EXPECT_TRUE(ReceiveFromRaw(std::string(62, '0') + "5:hello", out, 100));
    EXPECT_EQ(out, "hello");
    for (const std::string& raw :
         {":"s, "-5:hello"s, "+5:hello"s, " 5:hello"s, "5 :hello"s, "0x5:hello"s, "five:hello"s,
          "5"s, ""s, "10:abc"s, "18446744073709551616:x"s, "1\0:hello"s,
          std::string(63, '0') + "5:hello", std::string(64, '1'), std::string(200, '7') + ":"}) {
        out = "previous";
        EXPECT_FALSE(ReceiveFromRaw(raw, out, 1 << 20)) << raw;
        EXPECT_EQ(out, "") << raw;
    }
}

TEST(Framing, ClaimsAreNotAllocatedBeforeTheirDataArrives) {
    std::string out;
    // A hostile length header must not make us allocate what it claimed.
    const testing_support::AllocationProbe probe;
    EXPECT_FALSE(ReceiveFromRaw("9999999999:abc", out, 64 * 1024));
    EXPECT_FALSE(ReceiveFromRaw("65537:abc", out, 64 * 1024));
    EXPECT_LT(probe.Largest(), 64u * 1024);
    // Allowed, but only a few bytes ever come: the buffer grows with them, not with the claim.
    EXPECT_FALSE(ReceiveFromRaw("60000000:only a few bytes", out, net::kMaxListingLength));
    EXPECT_LE(probe.Largest(), 2u * 1024 * 1024);
}

// Far below the default 20 s idle limit either way: the flag or the shortened limit ended it.
TEST(Framing, StopFlagOrIdleLimitEndsAReceiveFromASilentPeer) {
    const int savedLimit = net::ReceiveIdleTimeout();
    const std::tuple<const char*, int, bool> cases[] = {
        {"", 300, false}, {"10:abc", 300, false}, {"", 0, true}};
    for (const auto& [sent, idleLimit, stopped] : cases) {
        SCOPED_TRACE(sent);
        net::SetReceiveIdleTimeout(idleLimit);
        auto pair = MakeLoopbackPair();
        ASSERT_TRUE(pair.valid());
        ASSERT_TRUE(WriteRaw(pair.client.get(), sent));
        StopFlag stop{false};
        std::thread stopper = stopped ? testing_support::RaiseLater(stop, 150) : std::thread();
        std::string out;
        const auto start = std::chrono::steady_clock::now();
        EXPECT_FALSE(net::ReceiveString(pair.server.get(), out, &stop, 100));
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
        if (stopper.joinable()) stopper.join();
    }
    net::SetReceiveIdleTimeout(savedLimit);
}

}  // namespace
