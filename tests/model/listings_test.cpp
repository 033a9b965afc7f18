#include "model/model_fixture.h"

namespace {

using ListingsTest = ModelTest;

TEST_F(ListingsTest, ShareListingMakesItemsForFoldersOnly) {
    const Ipv4 host = Address("10.0.0.2");
    net.AddHost(host, "alpha", HostKind::Discovered);
    CNetNode* root = net.SetListing(host, "\\", {Folder("Music"), Folder("Docs")});
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(sink.ChildTexts(root->GetTreeItem()), (std::vector<std::string>{"Music", "Docs"}));
    CNetNode* share = Node(host, "\\Music\\");
    EXPECT_EQ(sink.Get(share->GetTreeItem()).image, 6);

    CNetNode* listed =
        net.SetListing(host, "\\Music\\", {File("a.txt", 5), Folder("sub"), File("b", 1)});
    EXPECT_EQ(listed, share);
    ASSERT_EQ(share->GetChildren().size(), 3u);
    EXPECT_EQ(share->GetChildren()[0]->GetTreeItem(), kNoTreeItem);
    EXPECT_EQ(share->GetChildren()[2]->GetTreeItem(), kNoTreeItem);
    EXPECT_EQ(sink.ChildTexts(share->GetTreeItem()), std::vector<std::string>{"sub"});
    EXPECT_EQ(share->GetChildren()[0]->GetInfo(), File("a.txt", 5));
    // A listed share keeps its share image; a new folder starts as not yet listed.
    EXPECT_EQ(sink.Get(share->GetTreeItem()).image, 6);
    const auto& sub = sink.Get(share->GetChildren()[1]->GetTreeItem());
    EXPECT_EQ(sub.image, 0);
    EXPECT_EQ(sub.node, share->GetChildren()[1].get());
}

TEST_F(ListingsTest, ListedFolderGetsClosedAndOpenImages) {
    const Ipv4 host = AddMusicHost();
    const auto& live = sink.Get(Node(host, "\\Music\\Live\\")->GetTreeItem());
    EXPECT_EQ(live.image, 1);
    EXPECT_EQ(live.selectedImage, 2);
    // Even an empty listing marks the folder as listed.
    net.SetListing(host, "\\Music\\Live\\Deep\\", {});
    const auto& deep = sink.Get(Node(host, "\\Music\\Live\\Deep\\")->GetTreeItem());
    EXPECT_EQ(deep.image, 1);
    EXPECT_EQ(deep.selectedImage, 2);
}

TEST_F(ListingsTest, SecondListingReplacesWholeSubtree) {
    const Ipv4 host = AddMusicHost();
    CNetNode* share = Node(host, "\\Music\\");
    const TreeItem oldLive = Node(host, "\\Music\\Live\\")->GetTreeItem();
    const TreeItem oldDeep = Node(host, "\\Music\\Live\\Deep\\")->GetTreeItem();

    net.SetListing(host, "\\Music\\", {Folder("Studio"), File("y.txt", 9)});
    EXPECT_FALSE(sink.IsLive(oldLive));
    EXPECT_FALSE(sink.IsLive(oldDeep));
    EXPECT_EQ(sink.StaleCalls(), 0);
    EXPECT_EQ(sink.ChildTexts(share->GetTreeItem()), std::vector<std::string>{"Studio"});
    EXPECT_EQ(Node(host, "\\Music\\Live\\"), nullptr);
    ASSERT_EQ(share->GetChildren().size(), 2u);
    EXPECT_EQ(share->GetChildren()[1]->GetInfo(), File("y.txt", 9));
    EXPECT_EQ(sink.LiveCount(), 3u);  // alpha, Music, Studio
}

TEST_F(ListingsTest, ListingForAFileIsIgnored) {
    const Ipv4 host = AddMusicHost();
    const auto items = sink.LiveCount();
    EXPECT_EQ(net.SetListing(host, "\\Music\\x.txt", {Folder("evil")}), nullptr);
    EXPECT_TRUE(Node(host, "\\Music\\x.txt")->GetChildren().empty());
    EXPECT_EQ(sink.LiveCount(), items);
    EXPECT_TRUE(sink.ChildTexts(kTreeRoot) == std::vector<std::string>{"alpha"});
}

TEST_F(ListingsTest, ClosingStopsAListingWhereItIsSeen) {
    const Ipv4 host = Address("10.0.0.2");
    net.AddHost(host, "alpha", HostKind::Discovered);
    int inserts = 0;
    sink.OnInsert([&] {
        if (++inserts == 2) closing = true;
    });
    CNetNode* root =
        net.SetListing(host, "\\", {Folder("one"), Folder("two"), Folder("three"), File("f")});
    ASSERT_NE(root, nullptr);
    // The flag went up while "two" was being made; nothing after it is added.
    ASSERT_EQ(root->GetChildren().size(), 2u);
    EXPECT_EQ(root->GetChildren()[1]->GetInfo().name, "two");
}

TEST_F(ListingsTest, ListingRequestedFlagIsPerNodeAndDroppedWithTheSubtree) {
    const Ipv4 host = AddMusicHost();
    CNetNode* live = Node(host, "\\Music\\Live\\");
    EXPECT_FALSE(live->IsListingRequested());
    live->SetListingRequested(true);
    EXPECT_TRUE(Node(host, "\\Music\\Live\\")->IsListingRequested());
    EXPECT_FALSE(Node(host, "\\Music\\")->IsListingRequested());
    net.SetListing(host, "\\Music\\", {Folder("Live")});
    EXPECT_FALSE(Node(host, "\\Music\\Live\\")->IsListingRequested());
}

}  // namespace
