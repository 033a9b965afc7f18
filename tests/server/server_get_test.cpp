// "wdx-get" on the share server: the same confinement as "retrieve", a resume only for the version
// the client proves it holds, and the digest of the whole file whichever part was sent.
#include <sys/stat.h>

#include "net/sha256.h"
#include "server/file_digests.h"
#include "server_test_support.h"

namespace server_test {
namespace {

std::string DigestOf(const std::string& content) {
    net::Sha256 hash;
    hash.Update(content.data(), content.size());
    return hash.HexDigest();
}

std::int64_t ModifiedNs(const std::string& path) {
    struct stat info {};
    ::stat(path.c_str(), &info);
    return static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec;
}

TEST_F(ServerTest, GetResumesOnlyTheVersionTheClientHoldsAndAlwaysSendsTheWholeDigest) {
    const std::string content = "0123456789abcdefghij";
    sandbox_.MakeFile("music/song.txt", content);
    const std::string modified = std::to_string(ModifiedNs(Path("music/song.txt")));
    Start();
    const std::string digest = Framed(DigestOf(content));

    EXPECT_EQ(Ask("wdx-get:0:0:0:\\music\\song.txt"),
              Framed("0 20 " + modified) + Framed(content) + digest);
    // Twice, so that the second answer comes from the kept digest and the resume path of both.
    for (int round = 0; round < 2; ++round) {
        EXPECT_EQ(Ask("wdx-get:12:20:" + modified + ":\\music\\song.txt"),
                  Framed("12 20 " + modified) + Framed(content.substr(12)) + digest);
    }
    // Another time or size: the part is of another version, so the whole file comes.
    EXPECT_EQ(Ask("wdx-get:12:20:" + std::to_string(ModifiedNs(Path("music/song.txt")) + 1) +
                  ":\\music\\song.txt"),
              Framed("0 20 " + modified) + Framed(content) + digest);
    EXPECT_EQ(Ask("wdx-get:21:20:" + modified + ":\\music\\song.txt"),
              Framed("0 20 " + modified) + Framed(content) + digest)
        << "a part longer than the file is no part of it";

    // Confinement and malformed requests: closed without a byte, like "retrieve".
    for (const char* line :
         {"wdx-get:0:0:0:\\music\\..\\outside\\secret.txt", "wdx-get:0:0:0:\\music\\secret",
          "wdx-get:0:0:0:\\music\\sub", "wdx-get:x:0:0:\\music\\a.txt",
          "wdx-get:0:0:\\music\\a.txt", "wdx-get:+1:0:0:\\music\\a.txt"}) {
        EXPECT_EQ(Ask(line), "") << line;
    }
}

TEST(FileDigests, KeepsTheMostRecentlyUsedVersionsWithinItsBound) {
    server::FileDigests digests(2);
    const server::FileVersion a{"/a", 1, 2, 3, 4};
    server::FileVersion b = a;
    b.inode = 5;  // the same name, replaced by another file
    const server::FileVersion c{"/c", 1, 2, 3, 6};
    digests.Store(a, "da");
    digests.Store(b, "db");
    EXPECT_EQ(digests.Find(a), "da");
    digests.Store(c, "dc");
    EXPECT_EQ(digests.Size(), 2U);
    EXPECT_EQ(digests.Find(a), "da");
    EXPECT_FALSE(digests.Find(b)) << "the least recently used went";
    EXPECT_EQ(digests.Find(c), "dc");
}

}  // namespace
}  // namespace server_test
