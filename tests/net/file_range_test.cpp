// The receiving side of "wdx-get": the data go into the part the way a plain download's do, and a
// second thread hashes the file behind the writer, the bytes held from an earlier attempt included.
#include "net/file_range.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <future>
#include <random>
#include <thread>

#include "net/sha256.h"
#include "net/trailing_hash.h"
#include "support/loopback.h"
#include "support/temp_folder.h"
#include "util/unique_fd.h"

namespace {

using testing_support::MakeLoopbackPair;
using testing_support::TempFolder;
using testing_support::WriteRaw;

std::string RandomBytes(std::size_t size) {
    std::mt19937 generator(7);
    std::string bytes(size, '\0');
    for (char& byte : bytes) byte = static_cast<char>(generator());
    return bytes;
}

std::string DigestOf(const std::string& content) {
    net::Sha256 hash;
    hash.Update(content.data(), content.size());
    return hash.HexDigest();
}

// A part holding `held` and open for appending the rest, as a resumed download opens it.
int OpenPart(const std::string& path, const std::string& held) {
    TempFolder::Write(path, held);
    const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd >= 0) ::lseek(fd, 0, SEEK_END);
    return fd;
}

// Both ways into the file (zero-copy on a non-blocking socket, copied on a blocking one), with the
// part held intact and with its first byte spoilt on the disk: the digest is that of the file.
TEST(FileRangeReceive, TheDigestIsThatOfTheWholeFileAsItLiesOnTheDisk) {
    const std::string content = RandomBytes(3 * 1024 * 1024 + 17);
    const std::size_t from = 1024 * 1024 + 5;
    for (const bool blocking : {false, true}) {
        for (const bool spoilt : {false, true}) {
            SCOPED_TRACE(std::string(blocking ? "copied" : "zero-copy") +
                         (spoilt ? ", spoilt part" : ", intact part"));
            TempFolder folder;
            std::string expected = content;
            if (spoilt) expected[0] ^= 0x01;
            const util::UniqueFd part(OpenPart(folder.Path("part"), expected.substr(0, from)));
            ASSERT_GE(part.get(), 0);
            auto pair = MakeLoopbackPair();
            ASSERT_TRUE(pair.valid());
            ASSERT_TRUE(net::SetBlocking(pair.server.get(), blocking));
            auto sent = std::async(std::launch::async, [&] {
                return WriteRaw(pair.client.get(), content.substr(from));
            });
            const auto digest = net::ReceiveFileRange(
                pair.server.get(), part.get(), {from, content.size()}, nullptr, nullptr, nullptr);
            EXPECT_TRUE(sent.get());
            ASSERT_TRUE(digest.ok()) << util::Describe(digest.error());
            EXPECT_TRUE(TempFolder::Read(folder.Path("part")) == expected);
            EXPECT_EQ(digest.value(), DigestOf(expected));
            EXPECT_EQ(digest.value() == DigestOf(content), !spoilt);
        }
    }
}

// The stop flag set while the host has gone quiet in the middle: both threads end and the
// transfer says it was stopped (a hang here fails the test by its time limit).
TEST(FileRangeReceive, AStopInTheMiddleEndsTheWriterAndTheHasher) {
    TempFolder folder;
    const std::string held = RandomBytes(8 * 1024 * 1024);
    const util::UniqueFd part(OpenPart(folder.Path("part"), held));
    ASSERT_GE(part.get(), 0);
    auto pair = MakeLoopbackPair();
    ASSERT_TRUE(pair.valid());
    ASSERT_TRUE(WriteRaw(pair.client.get(), std::string(64 * 1024, 'n')));
    StopFlag stop{false};
    auto received = std::async(std::launch::async, [&] {
        return net::ReceiveFileRange(pair.server.get(), part.get(),
                                     {held.size(), held.size() + 4 * 1024 * 1024}, &stop, nullptr,
                                     nullptr);
    });
    struct stat info {};
    for (int i = 0; i < 500 && ::fstat(part.get(), &info) == 0 &&
                    static_cast<std::size_t>(info.st_size) < held.size() + 64 * 1024;
         ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(static_cast<std::size_t>(info.st_size), held.size() + 64 * 1024);
    stop = true;
    const auto digest = received.get();
    ASSERT_FALSE(digest.ok());
    EXPECT_EQ(digest.kind(), util::ErrorKind::Stopped) << util::Describe(digest.error());
}

// A file that holds fewer bytes than the writer says (cut short behind our back) fails the hash
// instead of leaving the hasher, or a writer waiting for it to catch up, waiting forever.
TEST(TrailingHash, AFileShorterThanItsWriterSaysFailsBothSides) {
    TempFolder folder;
    const util::UniqueFd file(OpenPart(folder.Path("short"), std::string(1000, 's')));
    ASSERT_GE(file.get(), 0);
    {
        net::TrailingHash hash(file.get(), 0, nullptr);
        EXPECT_FALSE(hash.Written(std::uint64_t{1} << 30).ok()) << "far ahead: waits, then fails";
    }
    net::TrailingHash hash(file.get(), 1000, nullptr);
    EXPECT_TRUE(hash.Written(1500).ok()) << "near enough: goes on";
    EXPECT_FALSE(hash.Finish().ok());
}

}  // namespace
