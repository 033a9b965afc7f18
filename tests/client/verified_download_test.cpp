// Downloads through the job queue from hosts with and without "wdx-get": a host of the common
// protocol is served the common way after one question; a cut transfer continues where it stopped
// when the host vouches for the same version; bytes spoilt on the way never reach the target.
#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <mutex>
#include <thread>

#include "client/job_queue.h"
#include "client/partial_download.h"
#include "net/framing.h"
#include "net/sha256.h"
#include "protocol/get_request.h"
#include "support/common_peer.h"
#include "support/fake_host.h"
#include "support/temp_folder.h"

namespace {

// Bytes that differ from their neighbours, so that a shifted or repeated block shows.
std::string Patterned(std::size_t size) {
    std::string content(size, '\0');
    for (std::size_t i = 0; i < size; ++i) content[i] = static_cast<char>(i * 31 / 7);
    return content;
}

using namespace std::chrono_literals;
using testing_support::LoopbackAddress;
using testing_support::WriteRaw;

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFile(const std::string& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
}

std::string DigestOf(const std::string& content) {
    net::Sha256 hash;
    hash.Update(content.data(), content.size());
    return hash.HexDigest();
}

// A host with the extension that serves one file the way the share server does, and can be told
// to cut the connection after some bytes or to flip one byte on the way.
class GetHost {
public:
    explicit GetHost(std::string content)
        : content_(std::move(content)),
          host_([this](const std::string& request, net::Socket socket, const StopFlag& stop) {
              Answer(request, socket, stop);
          }) {}

    std::uint16_t Port() const { return host_.Port(); }
    std::vector<std::string> Requests() const { return host_.Requests(); }
    std::atomic<std::size_t> cutAfter{std::string::npos};
    std::atomic<std::size_t> flipAt{std::string::npos};
    std::atomic<std::int64_t> modifiedNs{1'700'000'000'123'456'789};

private:
    void Answer(const std::string& request, net::Socket socket, const StopFlag& stop) {
        if (request == "wdx-words") {
            net::SendString(socket, "wdx-words\nwdx-get\n", &stop);
            return;
        }
        const auto line = proto::SplitRequest(request);
        const auto asked = proto::ParseGetArgument(line.argument);
        if (line.jobWord != "wdx-get" || !asked) return;
        const bool same = asked->size == content_.size() && asked->modifiedNs == modifiedNs;
        const std::size_t start = same && asked->offset <= content_.size() ? asked->offset : 0;
        net::SendString(socket, proto::EncodeGetStart({start, content_.size(), modifiedNs}), &stop);
        std::string data = content_.substr(start);
        if (flipAt >= start && flipAt < content_.size()) data[flipAt - start] ^= 0x20;
        const std::string header = net::LengthHeader(data.size());
        if (cutAfter < data.size()) {
            WriteRaw(socket, header + data.substr(0, cutAfter));
            return;
        }
        WriteRaw(socket, header + data);
        net::SendString(socket, DigestOf(content_), &stop);
    }

    const std::string content_;
    testing_support::FakeHost host_;
};

class VerifiedDownloadTest : public ::testing::Test, public JobListener, public DownloadListener {
protected:
    void TearDown() override {
        shutdown_ = true;
        if (queue_) queue_->Stop();
    }
    void OnExpandResult(JobId, const std::vector<DirEntry>&, bool, std::size_t) override {}
    void OnHostInfoResult(JobId, const proto::HostInfo&, bool) override {}
    void OnDownloadStarted(JobId) override {}
    void OnDownloadProgress(JobId, unsigned, float) override {}
    void OnDownloadVerified(JobId) override { ++verified_; }
    void OnDownloadFinished(JobId, const util::Status& outcome) override {
        std::lock_guard guard(lock_);
        outcomes_.push_back(outcome);
    }

    void StartQueue(std::uint16_t port) {
        JobQueueOptions options;
        options.requestPort = port;
        options.connectAttempts = 1;
        queue_ = std::make_unique<CJobQueue>(this, this, false, &shutdown_, options);
    }
    // Runs one download to its end and returns its outcome.
    util::Status Download(const std::string& remote, const std::string& local,
                          std::optional<std::uint64_t> size = std::nullopt) {
        const std::size_t before = Outcomes().size();
        queue_->AddRetrieveJob(LoopbackAddress(), remote, local, &shutdown_, size);
        for (int i = 0; i < 2000 && Outcomes().size() == before; ++i) {
            std::this_thread::sleep_for(5ms);
        }
        const auto outcomes = Outcomes();
        return outcomes.size() > before ? outcomes.back()
                                        : util::MakeError(util::ErrorKind::TimedOut, "no report");
    }
    std::vector<util::Status> Outcomes() {
        std::lock_guard guard(lock_);
        return outcomes_;
    }

    testing_support::TempFolder sandbox_;
    StopFlag shutdown_{false};
    std::unique_ptr<CJobQueue> queue_;
    std::mutex lock_;
    std::vector<util::Status> outcomes_;
    std::atomic<int> verified_{0};
};

TEST_F(VerifiedDownloadTest, ACommonHostIsServedTheCommonWayAndAskedAboutExtensionsOnce) {
    testing_support::CommonPeer common;
    common.SetReply("retrieve:\\share\\a.txt", "hello");
    common.SetReply("retrieve:\\share\\b.txt", "world!");
    StartQueue(common.Port());
    EXPECT_TRUE(Download("\\share\\a.txt", sandbox_.Path("a.txt"), 5).ok());
    EXPECT_TRUE(Download("\\share\\b.txt", sandbox_.Path("b.txt"), 6).ok());
    EXPECT_EQ(ReadFile(sandbox_.Path("a.txt")), "hello");
    EXPECT_EQ(ReadFile(sandbox_.Path("b.txt")), "world!");
    EXPECT_EQ(common.Requests(), (std::vector<std::string>{"wdx-words", "retrieve:\\share\\a.txt",
                                                           "retrieve:\\share\\b.txt"}));
    EXPECT_EQ(verified_, 0) << "nothing was checked, so nothing may say so";
}

TEST_F(VerifiedDownloadTest, ACutTransferContinuesFromItsPartAndIsVerified) {
    const std::string content = Patterned(3 * 1024 * 1024 + 17);
    GetHost host(content);
    host.cutAfter = 1024 * 1024 + 5;
    StartQueue(host.Port());
    const std::string target = sandbox_.Path("big.bin");
    EXPECT_EQ(Download("\\share\\big.bin", target, content.size()).kind(),
              util::ErrorKind::ConnectionLost);
    EXPECT_FALSE(std::filesystem::exists(target)) << "the target never holds a partial file";
    const auto paths = client::PartialPathsFor(target);
    EXPECT_EQ(ReadFile(paths.data), content.substr(0, 1024 * 1024 + 5));

    host.cutAfter = std::string::npos;
    ASSERT_TRUE(Download("\\share\\big.bin", target, content.size()).ok());
    EXPECT_EQ(ReadFile(target), content);
    EXPECT_EQ(verified_, 1);
    EXPECT_EQ(host.Requests().back(),
              "wdx-get:1048581:3145745:1700000000123456789:\\share\\big.bin");
    EXPECT_FALSE(std::filesystem::exists(paths.data));
    EXPECT_FALSE(std::filesystem::exists(paths.record));
}

// The part's own bytes are checked too: one spoilt on this disk between the attempts fails the
// resumed download as damaged, and the retry from the start brings the host's file.
TEST_F(VerifiedDownloadTest, ASpoiltPartIsCaughtAndTheRetryStartsFromZero) {
    const std::string content = Patterned(2 * 1024 * 1024 + 3);
    GetHost host(content);
    host.cutAfter = 1024 * 1024 + 100;
    StartQueue(host.Port());
    const std::string target = sandbox_.Path("s.bin");
    EXPECT_FALSE(Download("\\share\\s.bin", target, content.size()).ok());
    const auto paths = client::PartialPathsFor(target);
    std::string part = ReadFile(paths.data);
    ASSERT_EQ(part.size(), 1024U * 1024 + 100);
    part[10] ^= 0x01;
    WriteFile(paths.data, part);

    host.cutAfter = std::string::npos;
    ASSERT_TRUE(Download("\\share\\s.bin", target, content.size()).ok());
    EXPECT_EQ(ReadFile(target), content);
    const auto requests = host.Requests();
    ASSERT_GE(requests.size(), 2U);
    EXPECT_TRUE(requests[requests.size() - 2].starts_with("wdx-get:1048676:"));
    EXPECT_TRUE(requests.back().starts_with("wdx-get:0:"));
}

TEST_F(VerifiedDownloadTest, AnotherVersionOnTheHostStartsOver) {
    std::string content(2 * 1024 * 1024, 'a');
    GetHost host(content);
    host.cutAfter = 1000;
    StartQueue(host.Port());
    const std::string target = sandbox_.Path("v.bin");
    EXPECT_FALSE(Download("\\share\\v.bin", target).ok());
    // Written anew since: the host no longer vouches for the part, whose bytes would now be wrong.
    host.cutAfter = std::string::npos;
    host.modifiedNs = host.modifiedNs + 1;
    ASSERT_TRUE(Download("\\share\\v.bin", target).ok());
    EXPECT_EQ(ReadFile(target), content);
    EXPECT_TRUE(host.Requests().back().starts_with("wdx-get:1000:"));
}

TEST_F(VerifiedDownloadTest, AFlippedByteIsCaughtTriedOnceMoreAndLeavesTheTargetAlone) {
    GetHost host(std::string(5000, 'x'));
    host.flipAt = 4321;
    StartQueue(host.Port());
    const std::string target = sandbox_.Path("f.txt");
    WriteFile(target, "the older copy");
    const util::Status outcome = Download("\\share\\f.txt", target, 5000);
    ASSERT_FALSE(outcome.ok());
    EXPECT_EQ(outcome.kind(), util::ErrorKind::Damaged);
    EXPECT_EQ(util::Describe(outcome.error()), "the file arrived damaged");
    EXPECT_EQ(ReadFile(target), "the older copy");
    EXPECT_EQ(verified_, 0);
    const auto requests = host.Requests();
    EXPECT_EQ(std::count_if(requests.begin(), requests.end(),
                            [](const std::string& r) { return r.starts_with("wdx-get:0:"); }),
              2)
        << "retried once, from the start";
    EXPECT_FALSE(std::filesystem::exists(client::PartialPathsFor(target).data));
}

TEST(PartialSweep, RemovesOnlyLeftoversOlderThanTheirLifetime) {
    testing_support::TempFolder folder;
    const auto paths = client::PartialPathsFor(folder.Path("old.bin"));
    WriteFile(paths.data, "part");
    WriteFile(paths.record, "record");
    WriteFile(folder.Path(".gone.bin.wendaro-part-Ab12Cd"), "temporary");
    WriteFile(folder.Path(".fresh.bin.wendaro-partial"), "fresh");
    WriteFile(folder.Path("old.bin"), "a file of the user's");
    const auto eightDaysAgo = std::filesystem::file_time_type::clock::now() - 24h * 8;
    for (const char* name : {".old.bin.wendaro-partial", ".old.bin.wendaro-partial-from",
                             ".gone.bin.wendaro-part-Ab12Cd", "old.bin"}) {
        std::filesystem::last_write_time(folder.Root() / name, eightDaysAgo);
    }
    EXPECT_EQ(client::SweepStalePartials(folder.Root()), 3U);
    EXPECT_TRUE(std::filesystem::exists(folder.Path(".fresh.bin.wendaro-partial")));
    EXPECT_TRUE(std::filesystem::exists(folder.Path("old.bin")));

    WriteFile(paths.data, "part");
    client::DiscardPartial(folder.Path("old.bin"));
    EXPECT_FALSE(std::filesystem::exists(paths.data));
}

}  // namespace
