// The folder stream between our client and our share server on loopback: what arrives, what the
// server refuses, and what a file that changes while it is read does to the stream.
#include "protocol/folder_stream.h"

#include <gtest/gtest.h>

#include "client/folder_stream_receive.h"
#include "net/stream_io.h"
#include "server/server_connection.h"
#include "server_test_support.h"

namespace server_test {
namespace {

namespace fs = std::filesystem;

class FolderStreamTest : public ServerTest {
protected:
    void SetUp() override {
        ServerTest::SetUp();
        Start();
        sandbox_.MakeFile("music/sub/empty", "");
        dest_ = sandbox_.MakeFolder("dest");
        sandbox_.MakeFolder("dest/music/sub");
    }
    client::WalkFile File(const std::string& relative, std::int64_t size) const {
        std::string remote = "\\music\\" + relative;
        std::string local = relative;
        std::replace(local.begin(), local.end(), '\\', '/');
        return {remote, fs::path(dest_) / "music" / local, size};
    }
    util::Status Stream(client::StreamBatch& batch) {
        batch.rootPath = "\\music";
        batch.localDir = dest_;
        net::UniqueSocket socket = Connect();
        return client::ReceiveFolderStream(socket.get(), batch, nullptr, nullptr);
    }
    // Names in the target folder, part files included.
    std::vector<std::string> Arrived() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::recursive_directory_iterator(dest_)) {
            if (entry.is_regular_file()) names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    std::string dest_;
};

TEST_F(FolderStreamTest, FilesArriveWholeInTheOrderAskedAndOneUploadIsReported) {
    client::StreamBatch batch;
    batch.files = {File("sub\\deep.txt", 6), File("a.txt", 5), File("sub\\empty", 0),
                   File("sub\\link_in", 5)};
    ASSERT_TRUE(Stream(batch));
    EXPECT_EQ(batch.filesDone, 4U);
    EXPECT_EQ(batch.bytesDone, 16U);
    EXPECT_EQ(sandbox_.ReadFile("dest/music/sub/deep.txt"), "deeper");
    EXPECT_EQ(sandbox_.ReadFile("dest/music/sub/link_in"), "hello");
    EXPECT_EQ(Arrived(), (Lines{"a.txt", "deep.txt", "empty", "link_in"}));
    ASSERT_TRUE(listeners_.WaitFor("sent"));
    EXPECT_EQ(listeners_.Logged("asked").size(), 1U);
    EXPECT_EQ(listeners_.Logged("requested").size(), 1U);
}

TEST_F(FolderStreamTest, NamesThatLeaveTheShareAreRefusedAndNothingIsLeftBehind) {
    // A selection that climbs out is refused whole, before any question.
    client::StreamBatch climbing;
    climbing.files = {File("a.txt", 5), File("..\\outside\\secret.txt", 6)};
    EXPECT_EQ(Stream(climbing).kind(), util::ErrorKind::RefusedByHost);
    EXPECT_TRUE(listeners_.Logged("asked").empty());
    // A link out of the share is refused where it comes; the files before it stay.
    client::StreamBatch linked;
    linked.files = {File("a.txt", 5), File("secret", 6), File("sub\\deep.txt", 6)};
    EXPECT_EQ(Stream(linked).kind(), util::ErrorKind::RefusedByHost);
    EXPECT_EQ(linked.filesDone, 1U);
    EXPECT_EQ(Arrived(), (Lines{"a.txt"}));
    // A folder named as a file.
    client::StreamBatch folder;
    folder.files = {File("sub", 0)};
    EXPECT_EQ(Stream(folder).kind(), util::ErrorKind::RefusedByHost);
}

TEST_F(FolderStreamTest, TheListedSizeBoundsWhatMayArrive) {
    client::StreamBatch batch;
    batch.files = {File("a.txt", 4)};
    EXPECT_EQ(Stream(batch).kind(), util::ErrorKind::SizeLiedAbout);
    EXPECT_TRUE(Arrived().empty());
}

TEST_F(FolderStreamTest, AFileThatShrinksWhileItIsSentIsMarkedChanged) {
    // Far more than the socket buffers hold, so the server is still reading when it shrinks.
    const std::string big = Path("music/big.bin");
    ASSERT_EQ(::truncate(sandbox_.MakeFile("music/big.bin", "").c_str(), 64 << 20), 0);
    net::UniqueSocket socket = Send(proto::BuildRequest(proto::kFolderStreamWord, "\\music"));
    ASSERT_TRUE(net::SendString(socket.get(), "big.bin\n", nullptr));
    std::string header;
    char byte = 0;
    while (header.size() < 12 &&
           net::detail::ReceiveAvailable(socket.get(), &byte, 1, nullptr, 5000).ok() && byte != ':')
        header += byte;
    ASSERT_EQ(header, std::to_string(64 << 20));
    ASSERT_EQ(::truncate(big.c_str(), 1 << 20), 0);
    const std::string rest = ReadRaw(socket.get(), (64 << 20) + 128);
    ASSERT_EQ(rest.size(), (64U << 20) + proto::kStreamTrailerLength);
    EXPECT_EQ(rest[64 << 20], proto::kStreamFileChanged);
}

}  // namespace
}  // namespace server_test
