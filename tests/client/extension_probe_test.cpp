// Whether a host answers the extension words: asked once, and a host of the common protocol that
// closes on the word is taken as lacking them, not as unreachable.
#include "client/extension_probe.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "client/extension_memo.h"
#include "support/common_peer.h"

namespace {

using testing_support::LoopbackAddress;

TEST(ExtensionProbe, CommonPeerLacksThemOursListsThemAndSilenceLeavesItOpen) {
    testing_support::CommonPeer common;
    const auto lacking = client::AskExtensionWords(LoopbackAddress(), common.Port(), nullptr);
    EXPECT_EQ(lacking.support, ExtensionSupport::Lacking);
    EXPECT_FALSE(lacking.Has("wdx-words"));
    EXPECT_EQ(common.Requests(), std::vector<std::string>{"wdx-words"}) << "one connection";

    testing_support::FakeHost ours;
    ours.SetReply("wdx-words", "wdx-words\nwdx-other\n\n" + std::string(100, 'x') + "\n");
    const auto present = client::AskExtensionWords(LoopbackAddress(), ours.Port(), nullptr);
    EXPECT_EQ(present.support, ExtensionSupport::Present);
    EXPECT_EQ(present.words, (std::vector<std::string>{"wdx-words", "wdx-other"}));

    // Nobody listens on the discard port: that says nothing about the host's words.
    EXPECT_EQ(client::AskExtensionWords(LoopbackAddress(), 9, nullptr).support,
              ExtensionSupport::Unknown);
}

TEST(ExtensionMemo, AsksACommonPeerOnceForManyCallersUntilTheHostIsForgotten) {
    testing_support::CommonPeer common;
    client::ExtensionMemo memo;
    std::vector<std::thread> callers;
    for (int i = 0; i < 8; ++i) {
        callers.emplace_back([&] {
            EXPECT_EQ(memo.Lookup(LoopbackAddress(), common.Port(), nullptr).support,
                      ExtensionSupport::Lacking);
        });
    }
    for (auto& caller : callers) caller.join();
    EXPECT_EQ(common.Requests().size(), 1U) << "eight callers, one extra connection";
    EXPECT_EQ(memo.Known(LoopbackAddress()).support, ExtensionSupport::Lacking);

    memo.Forget(LoopbackAddress());
    EXPECT_EQ(memo.Known(LoopbackAddress()).support, ExtensionSupport::Unknown);
    memo.Lookup(LoopbackAddress(), common.Port(), nullptr);
    EXPECT_EQ(common.Requests().size(), 2U) << "a host that came back is asked again";

    // An unreachable host is not remembered as lacking: it is asked again.
    client::ExtensionMemo other;
    EXPECT_EQ(other.Lookup(LoopbackAddress(), 9, nullptr).support, ExtensionSupport::Unknown);
    EXPECT_EQ(other.Known(LoopbackAddress()).support, ExtensionSupport::Unknown);
}

}  // namespace
