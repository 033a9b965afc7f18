#include "net/framing.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

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

// Feeds raw bytes to ReceiveString and reports its result.
bool ReceiveFromRaw(std::string_view raw, std::string& out, std::size_t maxLength) {
    auto pair = MakeLoopbackPair();
    EXPECT_TRUE(pair.valid());
    EXPECT_TRUE(WriteRaw(pair.client.get(), raw));
    ShutdownWrite(pair.client.get());
    return net::ReceiveString(pair.server.get(), out, nullptr, maxLength);
}

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

}  // namespace
