// A small file sent the "wdx-get" way costs about what the file does: a folder fetched file by file
// sends thousands of them, and a buffer sized for large files, set up for each one, cost the
// serving host several times everything else it did for the file.
#include "server/file_version_send.h"

#include <sys/socket.h>
#include <unistd.h>

#include "net/sha256.h"
#include "server/file_digests.h"
#include "server_test_support.h"
#include "support/allocation_probe.h"
#include "util/unique_fd.h"

namespace server_test {
namespace {

TEST(SendFileVersion, SmallFilesNeedNoLargeBufferAndKeepTheirDigest) {
    testing_support::TempFolder folder;
    const std::string content(1024, 'k');
    const std::string path = folder.MakeFile("small.bin", content);
    net::Sha256 expected;
    expected.Update(content.data(), content.size());
    const std::string digest = expected.HexDigest();

    server::FileDigests digests;
    // Twice: the first send hashes the file, the second finds its digest kept. A non-blocking
    // socket, as the share server's, whose buffer holds the whole reply.
    for (int round = 0; round < 2; ++round) {
        int ends[2] = {-1, -1};
        ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, ends), 0);
        const util::UniqueFd ours(ends[0]);
        const util::UniqueFd theirs(ends[1]);
        bool sent = false;
        std::size_t largest = 0;
        {
            const testing_support::AllocationProbe probe;
            sent = server::SendFileVersion(ours.get(), path, proto::GetRequest{}, digests, nullptr,
                                           nullptr, nullptr);
            largest = probe.Largest();
        }
        ASSERT_TRUE(sent) << "round " << round;
        EXPECT_LT(largest, 16U * 1024) << "round " << round;
        ::shutdown(ours.get(), SHUT_WR);
        const std::string received = ReadRaw(theirs.get());
        const std::string data = Framed(content);
        const auto at = received.find(data);
        ASSERT_NE(at, std::string::npos) << "round " << round;
        EXPECT_EQ(received.substr(at + data.size()), Framed(digest)) << "round " << round;
        EXPECT_EQ(digests.Size(), 1U);
    }
}

}  // namespace
}  // namespace server_test
