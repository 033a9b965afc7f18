#include "model/model_fixture.h"

namespace {

using HostsTest = ModelTest;

TEST_F(HostsTest, EmptyNameBecomesDottedAddress) {
    net.AddHost(Address("192.168.0.7"), "", HostKind::Discovered);
    ASSERT_EQ(net.GetHostCount(), 1u);
    EXPECT_EQ(net.GetHostName(0), "192.168.0.7");
    EXPECT_EQ(sink.ChildTexts(kTreeRoot), std::vector<std::string>{"192.168.0.7"});
}

TEST_F(HostsTest, HostImageFollowsKind) {
    net.AddHost(Address("127.0.0.1"), "me", HostKind::LocalHost);
    net.AddHost(Address("10.0.0.2"), "heard", HostKind::Discovered);
    net.AddHost(Address("10.0.0.3"), "typed", HostKind::Manual);
    net.AddHost(Address("10.0.0.4"), "odd", static_cast<HostKind>(7));
    const auto items = sink.ChildItems(kTreeRoot);
    ASSERT_EQ(items.size(), 4u);
    const int expected[] = {5, 4, 9, 9};
    for (std::size_t i = 0; i < items.size(); ++i) {
        EXPECT_EQ(sink.Get(items[i]).image, expected[i]) << i;
        EXPECT_EQ(sink.Get(items[i]).selectedImage, expected[i]) << i;
    }
    EXPECT_EQ(net.GetHostKind(3), static_cast<HostKind>(7));
    // Local means the loopback address, whatever the kind.
    EXPECT_TRUE(Node(Address("127.0.0.1"), "")->IsLocalHost());
    EXPECT_FALSE(Node(Address("10.0.0.2"), "")->IsLocalHost());
}

TEST_F(HostsTest, RootNodeIsLinkedToItsItemAndHasEmptyName) {
    const Ipv4 host = Address("10.0.0.2");
    net.AddHost(host, "alpha", HostKind::Discovered);
    CNetNode* root = Node(host, "\\");
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(sink.Get(root->GetTreeItem()).node, root);
    EXPECT_EQ(root->GetInfo(), (DirEntry{"", 0, true}));
    EXPECT_EQ(root->GetAddress(), host);
    EXPECT_TRUE(root->IsHost());
    EXPECT_FALSE(root->IsShare());
}

TEST_F(HostsTest, FindHostGivesFirstIndexAndIndexesShiftAfterRemoval) {
    const Ipv4 a = Address("10.0.0.1"), b = Address("10.0.0.2"), c = Address("10.0.0.3");
    net.AddHost(a, "a", HostKind::Discovered);
    net.AddHost(b, "b", HostKind::Manual);
    net.AddHost(c, "c", HostKind::Discovered);
    std::size_t index = 99;
    ASSERT_TRUE(net.FindHost(b, index));
    EXPECT_EQ(index, 1u);
    EXPECT_EQ(net.GetHostAddress(index), b);
    EXPECT_EQ(net.GetHostKind(index), HostKind::Manual);

    net.RemoveHost(b);
    EXPECT_FALSE(net.FindHost(b, index));
    ASSERT_TRUE(net.FindHost(c, index));
    EXPECT_EQ(index, 1u);
    EXPECT_EQ(sink.ChildTexts(kTreeRoot), (std::vector<std::string>{"a", "c"}));
}

TEST_F(HostsTest, UnknownAddressesAndIndexesChangeNothing) {
    net.AddHost(Address("10.0.0.1"), "a", HostKind::Discovered);
    const auto items = sink.LiveCount();
    net.RemoveHost(Address("10.0.0.9"));
    net.SetHostName(5, "nobody");
    EXPECT_EQ(net.SetListing(Address("10.0.0.9"), "\\", {Folder("s")}), nullptr);
    EXPECT_EQ(net.FindNode(Address("10.0.0.9"), "\\"), nullptr);
    EXPECT_EQ(net.GetHostName(5), "");
    EXPECT_EQ(sink.LiveCount(), items);
    EXPECT_EQ(sink.Get(sink.ChildItems(kTreeRoot)[0]).text, "a");
    EXPECT_EQ(net.GetHostCount(), 1u);
}

TEST_F(HostsTest, RenamingChangesEntryAndItemButNotThePath) {
    const Ipv4 host = Address("10.0.0.2");
    net.AddHost(host, "", HostKind::Discovered);
    net.SetHostName(0, "alpha (3.0)");
    EXPECT_EQ(net.GetHostName(0), "alpha (3.0)");
    CNetNode* root = Node(host, "\\");
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(sink.Get(root->GetTreeItem()).text, "alpha (3.0)");
    EXPECT_EQ(root->GetInfo().name, "");
    EXPECT_EQ(root->GetPath(), "\\");
}

TEST_F(HostsTest, RemovingDeepHostDeletesEveryItemAndLeavesOthers) {
    const Ipv4 host = AddMusicHost();
    net.AddHost(Address("10.0.0.3"), "beta", HostKind::Discovered);
    ASSERT_EQ(sink.LiveCount(), 5u);  // alpha, Music, Live, Deep, beta
    net.RemoveHost(host);
    EXPECT_EQ(sink.LiveCount(), 1u);
    EXPECT_EQ(sink.ChildTexts(kTreeRoot), std::vector<std::string>{"beta"});
    // Children go before their parents (else their calls would be stale), each item once.
    EXPECT_EQ(sink.DeleteCalls(), 4);
    EXPECT_EQ(sink.StaleCalls(), 0);
}

TEST_F(HostsTest, WhileClosingNoTreeItemIsDeleted) {
    const Ipv4 host = AddMusicHost();
    closing = true;
    net.RemoveHost(host);
    EXPECT_EQ(net.GetHostCount(), 0u);
    EXPECT_EQ(sink.DeleteCalls(), 0);
}

TEST(HostsLifetime, DestructorDeletesItemsUnlessClosing) {
    for (const bool closingAtEnd : {false, true}) {
        RecordingTreeSink sink;
        StopFlag closing{false};
        {
            CNetStructure net(sink, &closing, [] { return 0u; });
            net.AddHost(Address("10.0.0.1"), "a", HostKind::Discovered);
            net.SetListing(Address("10.0.0.1"), "\\", {Folder("s1"), Folder("s2")});
            net.AddHost(Address("10.0.0.2"), "b", HostKind::Discovered);
            closing = closingAtEnd;
        }
        EXPECT_EQ(sink.DeleteCalls(), closingAtEnd ? 0 : 4);
        EXPECT_EQ(sink.LiveCount(), closingAtEnd ? 4u : 0u);
    }
}

}  // namespace
