// The browse model over a tree sink that records what the tree view would show, with a fake clock
// and a host "alpha" already browsed three levels deep.
#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "model/net_structure.h"
#include "support/recording_tree.h"

namespace {

using Texts = std::vector<std::string>;

class ModelTest : public ::testing::Test {
protected:
    static Ipv4 Address(const char* dotted) { return ::inet_addr(dotted); }
    static DirEntry Folder(const std::string& name, std::int64_t size = 0) {
        return {name, size, true};
    }
    static DirEntry File(const std::string& name, std::int64_t size = 0) {
        return {name, size, false};
    }

    // Share Music holds folder Live (with a.mp3 and the unlisted Deep) and file x.txt.
    ModelTest() {
        net.AddHost(kAlpha, "alpha", HostKind::Discovered);
        net.SetListing(kAlpha, "\\", {Folder("Music")});
        net.SetListing(kAlpha, "\\Music\\", {Folder("Live"), File("x.txt", 3)});
        net.SetListing(kAlpha, "\\Music\\Live\\", {File("a.mp3", 7), Folder("Deep")});
    }

    CNetNode* Node(const std::string& path) { return net.FindNode(kAlpha, path); }

    const Ipv4 kAlpha = Address("10.0.0.2");
    testing_support::RecordingTree sink;
    StopFlag closing{false};
    std::uint32_t now = 1000;
    CNetStructure net{sink, &closing, [this] { return now; }};
};

// A host without a name shows its address; a kind from a newer peer shows like one added by hand.
TEST_F(ModelTest, HostsShowNameOrAddressAndRemovingOneDeletesEachOfItsItems) {
    const Ipv4 beta = Address("10.0.0.3");
    net.AddHost(beta, "", static_cast<HostKind>(7));
    EXPECT_EQ(sink.ChildTexts(kTreeRoot), (Texts{"alpha", "10.0.0.3"}));
    const auto& item = sink.items.at(net.FindNode(beta, "")->GetTreeItem());
    EXPECT_EQ(std::pair(item.image, item.selectedImage),
              std::pair(tree_image::kManualHost, tree_image::kManualHost));
    net.SetHostName(1, "beta");
    net.RemoveHost(kAlpha);
    EXPECT_EQ(sink.deletes, 4);  // alpha, Music, Live, Deep
    std::size_t index = 9;
    ASSERT_TRUE(net.FindHost(beta, index));
    EXPECT_EQ(index, 0u);
    // Unknown addresses and indexes change nothing.
    net.RemoveHost(kAlpha);
    net.SetHostName(5, "nobody");
    EXPECT_EQ(sink.ChildTexts(kTreeRoot), Texts{"beta"});
    EXPECT_EQ(sink.items.size(), 1u);
}

TEST_F(ModelTest, WhileClosingListingsStopAndNoItemIsDeleted) {
    int inserts = 0;
    sink.onInsert = [&] { closing = ++inserts == 2; };
    CNetNode* deep = net.SetListing(kAlpha, "\\Music\\Live\\Deep\\",
                                    {Folder("one"), Folder("two"), Folder("three"), File("f")});
    EXPECT_EQ(deep->GetChildren().size(), 2u);
    net.RemoveHost(kAlpha);
    EXPECT_EQ(net.GetHostCount(), 0u);
    EXPECT_EQ(sink.deletes, 0);
}

TEST_F(ModelTest, ListingsReplaceTheWholeSubtreeAndGiveFoldersImagesOfTheirState) {
    const TreeItem deep = Node("\\Music\\Live\\Deep\\")->GetTreeItem();
    net.SetListing(kAlpha, "\\Music\\Live\\", {Folder("New"), File("y", 9), Folder("Deep")});
    EXPECT_FALSE(sink.items.contains(deep));
    EXPECT_EQ(sink.ChildTexts(Node("\\Music\\Live\\")->GetTreeItem()), (Texts{"New", "Deep"}));
    EXPECT_EQ(Node("\\Music\\Live\\y")->GetTreeItem(), kNoTreeItem);
    EXPECT_EQ(Node("\\Music\\Live\\y")->GetInfo(), File("y", 9));
    EXPECT_EQ(net.SetListing(kAlpha, "\\Music\\Live\\y", {Folder("evil")}), nullptr);
    EXPECT_EQ(sink.items.size(), 5u);
    // A listed share keeps its image; a folder shows "not listed" until a listing, even empty.
    net.SetListing(kAlpha, "\\Music\\Live\\Deep\\", {});
    const std::tuple<const char*, int, int> rows[] = {
        {"\\Music\\", 6, 6}, {"\\Music\\Live\\New", 0, 0}, {"\\Music\\Live\\Deep", 1, 2}};
    for (const auto& [path, image, selectedImage] : rows) {
        const auto& item = sink.items.at(Node(path)->GetTreeItem());
        EXPECT_EQ(std::pair(item.image, item.selectedImage), std::pair(image, selectedImage))
            << path;
        EXPECT_EQ(item.node, Node(path)) << path;
    }
}

TEST_F(ModelTest, SortingPutsFoldersFirstAndDescendingIsTheMirrorImage) {
    CNetNode* live = Node("\\Music\\Live\\");
    live->SetChildren({File("c", 2), Folder("b", 1), File("D", -1), Folder("A", 3),
                       File("\xc3\xa9", 5'000'000'000), File("AB", 0), File("abc", 7)});
    // Names compare case folded byte by byte, a prefix first, bytes above 0x7f after ASCII.
    const Texts byName = {"A", "b", "AB", "abc", "c", "D", "\xc3\xa9"};
    const Texts bySize = {"b", "A", "D", "AB", "c", "abc", "\xc3\xa9"};
    for (const auto& [column, ascending] :
         {std::pair{0, true}, {0, false}, {1, true}, {1, false}}) {
        live->SortChildren(column, ascending);
        Texts names;
        for (const auto& child : live->GetChildren()) names.push_back(child->GetName());
        if (!ascending) std::reverse(names.begin(), names.end());
        EXPECT_EQ(names, column == 0 ? byName : bySize) << column << ascending;
    }
    // Many equal keys: a comparison that is no strict weak order lets std::sort run off the range.
    std::vector<DirEntry> many;
    for (int i = 0; i < 3000; ++i) many.push_back(i % 2 ? File(i % 3 ? "a" : "A", 1) : Folder("x"));
    live->SetChildren(many);
    for (const auto& [column, ascending] :
         {std::pair{-1, true}, {0, false}, {1, true}, {7, false}}) {
        live->SortChildren(column, ascending);
        for (std::size_t i = 0; i < many.size(); ++i)
            ASSERT_EQ(live->GetChildren()[i]->IsFolder(), (i < 1500) == ascending) << column;
    }
}

TEST_F(ModelTest, RefusedHostsAreForgottenAfterTenQuietSeconds) {
    const char* refused[] = {"10.0.0.5", "10.0.0.6", "10.0.0.7", "10.0.0.8"};
    for (const char* address : refused) net.AddUnwantedHost(Address(address));
    EXPECT_FALSE(net.IsHostUnwanted(Address("10.0.0.9")));
    for (int i = 0; i < 5; ++i) {
        now += 10000;  // exactly ten seconds still counts, and each lookup starts them again
        ASSERT_TRUE(net.IsHostUnwanted(Address("10.0.0.8"))) << i;
    }
    now += 10001;
    EXPECT_FALSE(net.IsHostUnwanted(Address("10.0.0.8")));
    // Every expired entry is gone, not just stale: going back in time revives none.
    now = 1000;
    for (const char* address : refused) EXPECT_FALSE(net.IsHostUnwanted(Address(address)));
    // The unsigned tick difference survives the counter wrapping.
    now = 0xFFFFF000u;
    net.AddUnwantedHost(Address("10.0.0.5"));
    now += 5000;
    EXPECT_TRUE(net.IsHostUnwanted(Address("10.0.0.5")));
    now += 10001;
    EXPECT_FALSE(net.IsHostUnwanted(Address("10.0.0.5")));
}

}  // namespace
