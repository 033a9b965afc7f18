#include "model/model_fixture.h"

namespace {

using PathsTest = ModelTest;

TEST_F(PathsTest, PathsEndFoldersWithBackslash) {
    const Ipv4 host = AddMusicHost();
    EXPECT_EQ(Node(host, "")->GetPath(), "\\");
    EXPECT_EQ(Node(host, "\\Music")->GetPath(), "\\Music\\");
    EXPECT_EQ(Node(host, "\\Music\\x.txt")->GetPath(), "\\Music\\x.txt");
    EXPECT_EQ(Node(host, "\\Music\\Live")->GetPath(), "\\Music\\Live\\");
    EXPECT_EQ(Node(host, "\\Music\\Live\\a.mp3")->GetPath(), "\\Music\\Live\\a.mp3");
    EXPECT_EQ(Node(host, "\\Music\\Live\\Deep\\")->GetPath(), "\\Music\\Live\\Deep\\");
}

TEST_F(PathsTest, EveryNodeFindsItselfByItsPath) {
    const Ipv4 host = AddMusicHost();
    std::vector<CNetNode*> pending{Node(host, "\\")};
    int visited = 0;
    while (!pending.empty()) {
        CNetNode* node = pending.back();
        pending.pop_back();
        ++visited;
        EXPECT_EQ(Node(host, node->GetPath()), node) << node->GetPath();
        for (const auto& child : node->GetChildren()) pending.push_back(child.get());
    }
    EXPECT_EQ(visited, 6);
}

TEST_F(PathsTest, EmptyPathAndBackslashGiveTheHostTrailingBackslashIsOptional) {
    const Ipv4 host = AddMusicHost();
    CNetNode* root = Node(host, "\\");
    ASSERT_NE(root, nullptr);
    EXPECT_TRUE(root->IsHost());
    EXPECT_EQ(Node(host, ""), root);
    CNetNode* share = Node(host, "\\Music");
    ASSERT_NE(share, nullptr);
    EXPECT_EQ(Node(host, "\\Music\\"), share);
    EXPECT_TRUE(share->IsShare());
    EXPECT_FALSE(share->IsHost());
    EXPECT_FALSE(Node(host, "\\Music\\Live")->IsShare());
}

TEST_F(PathsTest, PathsThatLeadNowhereFindNothing) {
    const Ipv4 host = AddMusicHost();
    EXPECT_EQ(Node(host, "\\music\\"), nullptr);  // names compare with case
    EXPECT_EQ(Node(host, "Music"), nullptr);      // must start at the host's empty name
    EXPECT_EQ(Node(host, "\\Video\\"), nullptr);
    EXPECT_EQ(Node(host, "\\Music\\Live\\b.mp3"), nullptr);
    EXPECT_EQ(Node(host, "\\Music\\\\"), nullptr);  // an empty component names no child
    EXPECT_EQ(Node(host, "\\\\"), nullptr);
    EXPECT_EQ(Node(host, "\\Music\\x.txt\\more"), nullptr);
}

TEST_F(PathsTest, AmongSameNamedChildrenTheFirstThatLeadsSomewhereWins) {
    const Ipv4 host = Address("10.0.0.2");
    net.AddHost(host, "alpha", HostKind::Discovered);
    net.SetListing(host, "\\", {Folder("S")});
    net.SetListing(host, "\\S", {Folder("x"), Folder("x")});
    CNetNode* second = Node(host, "\\S")->GetChildren()[1].get();
    second->SetChildren({File("y")});
    EXPECT_EQ(Node(host, "\\S\\x\\"), Node(host, "\\S")->GetChildren()[0].get());
    CNetNode* y = Node(host, "\\S\\x\\y");
    ASSERT_NE(y, nullptr);
    EXPECT_EQ(y->GetParent(), second);
}

TEST_F(PathsTest, NameWithBackslashIsShownByLastPartAndCannotBeFound) {
    const Ipv4 host = Address("10.0.0.2");
    net.AddHost(host, "alpha", HostKind::Discovered);
    CNetNode* root = net.SetListing(host, "\\", {Folder("a\\b")});
    ASSERT_NE(root, nullptr);
    ASSERT_EQ(root->GetChildren().size(), 1u);
    const CNetNode& odd = *root->GetChildren()[0];
    EXPECT_EQ(odd.GetInfo().name, "a\\b");
    EXPECT_EQ(sink.Get(odd.GetTreeItem()).text, "b");
    EXPECT_EQ(Node(host, "\\a\\b\\"), nullptr);
    EXPECT_EQ(Node(host, "\\b\\"), nullptr);
}

}  // namespace
