// What the receiving side of a folder stream makes of a host that breaks it: a digest that does
// not match, a mark saying the file changed, a connection cut in the middle of a file. None of
// them may leave a file, whole-looking or partial, where the damaged one was going.
#include "client/folder_stream_receive.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "net/part_file.h"
#include "net/sha256.h"
#include "protocol/folder_stream.h"
#include "support/fake_host.h"
#include "support/temp_folder.h"

namespace client_test {
namespace {

namespace fs = std::filesystem;
using testing_support::FakeHost;
using testing_support::WriteRaw;

std::string Trailer(char mark, const std::string& content) {
    net::Sha256 digest;
    digest.Update(content.data(), content.size());
    return std::string(1, mark) + digest.HexDigest();
}

std::string Whole(const std::string& content) {
    return std::to_string(content.size()) + ":" + content + Trailer('+', content);
}

class FolderStreamReceiveTest : public ::testing::Test {
protected:
    // Runs a stream of "a" (5 bytes) and "b" (6 bytes) against a host that answers `reply`
    // after reading the selection.
    util::Status Run(const std::string& reply) {
        FakeHost host([&](const std::string&, net::Socket socket, const StopFlag& stop) {
            std::string selection;
            if (net::ReceiveString(socket, selection, &stop, 4096)) {
                selection_ = selection;
                WriteRaw(socket, reply);
            }
        });
        net::UniqueSocket socket =
            net::ConnectTo(testing_support::LoopbackAddress(), host.Port(), nullptr, 3);
        batch_.rootPath = "\\share\\top";
        batch_.localDir = folder_.Root();
        batch_.files = {{"\\share\\top\\a", folder_.Root() / "top" / "a", 5},
                        {"\\share\\top\\sub\\b", folder_.Root() / "top" / "sub" / "b", 6}};
        fs::create_directories(folder_.Root() / "top" / "sub");
        return client::ReceiveFolderStream(socket.get(), batch_, nullptr, nullptr);
    }
    std::vector<std::string> Files() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::recursive_directory_iterator(folder_.Root()))
            if (entry.is_regular_file()) names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    testing_support::TempFolder folder_;
    client::StreamBatch batch_;
    std::string selection_;
};

TEST_F(FolderStreamReceiveTest, WholeFilesArriveAndTheSelectionNamesThemBelowTheRoot) {
    ASSERT_TRUE(Run(Whole("hello") + Whole("world!")));
    EXPECT_EQ(selection_, "a\nsub\\b\n");
    EXPECT_EQ(folder_.ReadFile("top/sub/b"), "world!");
    EXPECT_EQ(batch_.filesDone, 2U);
    // Stored like any file the user makes (0666 less the umask), not with a part file's 0600.
    const auto mode = static_cast<unsigned>(fs::status(folder_.Root() / "top" / "a").permissions());
    EXPECT_EQ(mode, net::detail::NewFileMode());
    EXPECT_NE(mode & 0044U, 0U);
}

TEST_F(FolderStreamReceiveTest, ADigestMismatchLeavesNoFileAndSaysDamaged) {
    const util::Status outcome = Run(Whole("hello") + "6:world!" + Trailer('+', "world?"));
    EXPECT_EQ(outcome.kind(), util::ErrorKind::Damaged);
    EXPECT_EQ(util::Describe(outcome.error()), "the file arrived damaged");
    EXPECT_EQ(batch_.filesDone, 1U);
    EXPECT_EQ(Files(), std::vector<std::string>{"a"});
}

TEST_F(FolderStreamReceiveTest, AFileTheHostSawChangeIsThrownAway) {
    EXPECT_EQ(Run("5:hello" + Trailer('~', "hello")).kind(), util::ErrorKind::SizeLiedAbout);
    EXPECT_TRUE(Files().empty());
}

TEST_F(FolderStreamReceiveTest, AStreamCutInTheMiddleOfAFileLeavesNoPartialFile) {
    EXPECT_EQ(Run(Whole("hello") + "6:wor").kind(), util::ErrorKind::ConnectionLost);
    EXPECT_EQ(Files(), std::vector<std::string>{"a"});
    // Cut inside the trailer: the bytes are all there, the proof is not.
    EXPECT_EQ(Run("5:hello+abc").kind(), util::ErrorKind::ConnectionLost);
}

TEST_F(FolderStreamReceiveTest, ALongerFileThanListedIsRefusedBeforeAnythingIsWritten) {
    EXPECT_EQ(Run("999999999999:").kind(), util::ErrorKind::SizeLiedAbout);
    EXPECT_EQ(Run("-").kind(), util::ErrorKind::RefusedByHost);
    EXPECT_TRUE(Files().empty());
}

}  // namespace
}  // namespace client_test
