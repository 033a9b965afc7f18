#include "net/framing.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "allocation_probe.h"
#include "support/loopback.h"

namespace {

using testing_support::MakeLoopbackPair;
using testing_support::ReadRaw;
using testing_support::ShutdownWrite;
using testing_support::WriteRaw;

// What the sender put on the wire, read after it has closed its side.
std::string WireBytesOf(std::string_view text) {
    auto pair = MakeLoopbackPair();
    EXPECT_TRUE(pair.valid());
    EXPECT_TRUE(net::SendString(pair.client.get(), text, nullptr));
    ShutdownWrite(pair.client.get());
    return ReadRaw(pair.server.get());
}

// Feeds raw bytes (then end of stream) to ReceiveString and reports its result.
bool ReceiveFromRaw(std::string_view raw, std::string& out, std::size_t maxLength) {
    auto pair = MakeLoopbackPair();
    EXPECT_TRUE(pair.valid());
    EXPECT_TRUE(WriteRaw(pair.client.get(), raw));
    ShutdownWrite(pair.client.get());
    return net::ReceiveString(pair.server.get(), out, nullptr, maxLength);
}

// Restores the process-wide idle limit after a test shortened it.
class IdleTimeoutOverride {
public:
    explicit IdleTimeoutOverride(int milliseconds) : saved_(net::ReceiveIdleTimeout()) {
        net::SetReceiveIdleTimeout(milliseconds);
    }
    ~IdleTimeoutOverride() { net::SetReceiveIdleTimeout(saved_); }

private:
    int saved_;
};

TEST(Framing, StringsTravelAsDecimalLengthColonPayload) {
    EXPECT_EQ(WireBytesOf("ping"), "4:ping");
    EXPECT_EQ(WireBytesOf(""), "0:");
    EXPECT_EQ(WireBytesOf(std::string(1234, 'x')), "1234:" + std::string(1234, 'x'));
}

TEST(Framing, ReceiveStringReadsOneMessageAndLeavesTheNext) {
    auto pair = MakeLoopbackPair();
    ASSERT_TRUE(pair.valid());
    ASSERT_TRUE(WriteRaw(pair.client.get(), std::string("4:ping0:5:a\0:b\\", 15)));
    std::string first, second, third;
    EXPECT_TRUE(net::ReceiveString(pair.server.get(), first, nullptr, 100));
    EXPECT_TRUE(net::ReceiveString(pair.server.get(), second, nullptr, 100));
    EXPECT_TRUE(net::ReceiveString(pair.server.get(), third, nullptr, 100));
    EXPECT_EQ(first, "ping");
    EXPECT_EQ(second, "");
    EXPECT_EQ(third, std::string("a\0:b\\", 5));
}

TEST(Framing, HeaderMayHoldSixtyThreeCharactersButNotSixtyFour) {
    std::string out;
    EXPECT_TRUE(ReceiveFromRaw(std::string(62, '0') + "5:hello", out, 100));
    EXPECT_EQ(out, "hello");
    EXPECT_FALSE(ReceiveFromRaw(std::string(63, '0') + "5:hello", out, 100));
    EXPECT_FALSE(ReceiveFromRaw(std::string(64, '1'), out, 100));
    EXPECT_FALSE(ReceiveFromRaw(std::string(200, '7') + ":", out, 100));
}

TEST(Framing, MalformedHeadersFail) {
    for (const char* raw : {":", "-5:hello", "+5:hello", " 5:hello", "5 :hello", "0x5:hello",
                            "five:hello", "5", "", "18446744073709551616:x"}) {
        std::string out = "previous";
        EXPECT_FALSE(ReceiveFromRaw(raw, out, 1 << 20)) << raw;
        EXPECT_EQ(out, "") << raw;
    }
}

TEST(Framing, ZeroByteInsideTheHeaderIsNotTheEndOfTheNumber) {
    std::string out;
    EXPECT_FALSE(ReceiveFromRaw(std::string("1\0\0"
                                            "5:hello",
                                            7),
                                out, 100));
    EXPECT_EQ(out, "");
}

TEST(Framing, PayloadShorterThanItsHeaderFails) {
    std::string out;
    EXPECT_FALSE(ReceiveFromRaw("10:abc", out, 100));
}

TEST(Framing, OversizeClaimFailsWithoutAllocatingIt) {
    std::string out;
    net_test::AllocationProbe probe;
    EXPECT_FALSE(ReceiveFromRaw("9999999999:abc", out, 64 * 1024));
    EXPECT_FALSE(ReceiveFromRaw("65537:abc", out, 64 * 1024));
    EXPECT_LT(probe.Largest(), 64u * 1024);
}

TEST(Framing, AllowedButUnfulfilledClaimGrowsOnlyWithArrivingData) {
    std::string out;
    net_test::AllocationProbe probe;
    EXPECT_FALSE(ReceiveFromRaw("60000000:only a few bytes", out, net::kMaxListingLength));
    EXPECT_LE(probe.Largest(), 2u * 1024 * 1024);
}

TEST(ParseLengthHeader, AcceptsPlainDecimalDigitsOnly) {
    std::uint64_t length = 7;
    EXPECT_TRUE(net::ParseLengthHeader("0", length));
    EXPECT_EQ(length, 0u);
    EXPECT_TRUE(net::ParseLengthHeader("18446744073709551615", length));
    EXPECT_EQ(length, 18446744073709551615u);
    EXPECT_TRUE(net::ParseLengthHeader("007", length));
    EXPECT_EQ(length, 7u);
    length = 3;
    for (const char* bad : {"", "18446744073709551616", "99999999999999999999", "-1", "+1", " 1",
                            "1 ", "1a", "1.0"}) {
        EXPECT_FALSE(net::ParseLengthHeader(bad, length)) << bad;
    }
    EXPECT_EQ(length, 3u);
}

TEST(ReceiveUntil, StopsAtDelimiterAndKeepsTheTextBelowCapacity) {
    auto pair = MakeLoopbackPair();
    ASSERT_TRUE(pair.valid());
    ASSERT_TRUE(WriteRaw(pair.client.get(), "abc:abcd:"));
    char buffer[4];
    EXPECT_TRUE(net::ReceiveUntil(pair.server.get(), buffer, sizeof buffer, nullptr, ':'));
    EXPECT_STREQ(buffer, "abc");
    EXPECT_FALSE(net::ReceiveUntil(pair.server.get(), buffer, sizeof buffer, nullptr, ':'));
    EXPECT_FALSE(net::ReceiveUntil(pair.server.get(), buffer, 0, nullptr, ':'));
}

TEST(Framing, StopFlagEndsAWaitingReceive) {
    auto pair = MakeLoopbackPair();
    ASSERT_TRUE(pair.valid());
    StopFlag stop{false};
    std::thread stopper([&stop] {
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        stop = true;
    });
    std::string out;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(net::ReceiveString(pair.server.get(), out, &stop, 100));
    stopper.join();
    // Far below the 20 s idle limit: the flag, not the timeout, ended it.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

TEST(Framing, SilentPeerRunsIntoTheIdleLimitBeforeAndDuringThePayload) {
    IdleTimeoutOverride shortLimit(300);
    std::string out;
    for (const char* sent : {"", "10:abc"}) {
        auto pair = MakeLoopbackPair();
        ASSERT_TRUE(pair.valid());
        ASSERT_TRUE(WriteRaw(pair.client.get(), sent));
        const auto start = std::chrono::steady_clock::now();
        EXPECT_FALSE(net::ReceiveString(pair.server.get(), out, nullptr, 100)) << sent;
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5)) << sent;
    }
}

TEST(Framing, SendToAClosedPeerFailsWithoutKillingTheProcess) {
    auto pair = MakeLoopbackPair();
    ASSERT_TRUE(pair.valid());
    pair.server.reset();
    const std::string block(4 * 1024 * 1024, 'z');
    // The first write may still land in the kernel; the ones after the reset must fail.
    bool failed = false;
    for (int attempt = 0; attempt < 5 && !failed; ++attempt) {
        failed = !net::SendData(pair.client.get(), block.data(), block.size(), {}, nullptr, nullptr,
                                nullptr);
    }
    EXPECT_TRUE(failed);
}

}  // namespace
