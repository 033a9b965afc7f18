// A share server on 127.0.0.1 over a sandbox with one share, listeners that log every call as a
// line and can hold permission answers and "hostmodified" jobs (which keeps connections running),
// and a client that talks to the server over loopback.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <condition_variable>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>

#include "net/framing.h"
#include "server/server_thread.h"
#include "support/loopback.h"
#include "support/temp_folder.h"

namespace server_test {

using Lines = std::vector<std::string>;
using testing_support::ClosedByPeer;
using testing_support::LoopbackAddress;
using testing_support::ReadRaw;

inline bool Eventually(const std::function<bool()>& condition) {
    for (int i = 0; i < 1000 && !condition(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return condition();
}

class RecordingListeners : public UploadListener, public ServerListener, public PermissionListener {
public:
    void OnUploadStarted(std::uint32_t id) override { Log("started " + std::to_string(id)); }
    void OnUploadProgress(std::uint32_t, unsigned, float) override {}
    void OnUploadFinished(std::uint32_t id, bool ok) override {
        Log((ok ? "sent " : "failed ") + std::to_string(id));
    }
    void OnUploadRequested(std::uint32_t id, const StopFlag**) override {
        Log("requested " + std::to_string(id));
    }
    void OnHostModified(Ipv4 address) override {
        Log("modified " + net::FormatIpv4(address));
        WaitWhile(holdLight);
    }
    // Questions wait while `holdQuestions` is set, until the server cancels them.
    bool MayDownload(Ipv4 address, const StopFlag* cancel) override {
        Log("asked " + net::FormatIpv4(address));
        std::unique_lock guard(mutex_);
        while (holdQuestions && !IsStopped(cancel))
            changed_.wait_for(guard, std::chrono::milliseconds(10));
        if (IsStopped(cancel)) {
            guard.unlock();
            Log("cancelled " + net::FormatIpv4(address));
            return false;
        }
        return allow;
    }

    void Set(bool& flag, bool value) {
        std::lock_guard guard(mutex_);
        flag = value;
        changed_.notify_all();
    }
    // The logged lines that start with `prefix`.
    Lines Logged(const std::string& prefix = "") const {
        std::lock_guard guard(mutex_);
        Lines lines;
        std::copy_if(log_.begin(), log_.end(), std::back_inserter(lines),
                     [&](const std::string& line) { return line.starts_with(prefix); });
        return lines;
    }
    bool WaitFor(const std::string& prefix, std::size_t count = 1) const {
        return Eventually([&] { return Logged(prefix).size() >= count; });
    }

    // Guarded: change them with Set.
    bool allow = true, holdQuestions = false, holdLight = false;

private:
    void Log(std::string line) {
        std::lock_guard guard(mutex_);
        log_.push_back(std::move(line));
        changed_.notify_all();
    }
    void WaitWhile(const bool& held) {
        std::unique_lock guard(mutex_);
        changed_.wait(guard, [&] { return !held; });
    }

    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    Lines log_;
};

inline std::string Framed(const std::string& payload) {
    return std::to_string(payload.size()) + ":" + payload;
}

// True when the connection is open and silent right now.
inline bool StillOpen(net::Socket socket) {
    char byte;
    return ::recv(socket, &byte, 1, MSG_DONTWAIT | MSG_PEEK) < 0 && errno == EAGAIN;
}

// The share "music" with files, a folder and links in and out of it; "empty" names no folder.
class ServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        namespace fs = std::filesystem;
        for (const char* folder : {"music/sub", "outside", "music_old"})
            sandbox_.MakeFolder(folder);
        sandbox_.MakeFile("music/a.txt", "hello");
        sandbox_.MakeFile("music/sub/deep.txt", "deeper");
        sandbox_.MakeFile("music/back\\slash", "cannot travel");
        sandbox_.MakeFile("outside/secret.txt", "secret");
        sandbox_.MakeFile("music_old/x", "");
        // Far larger than any socket buffer, and sparse, so it costs no disk.
        ASSERT_EQ(::truncate(sandbox_.MakeFile("music/huge.bin", "").c_str(), 1LL << 30), 0);
        fs::create_symlink(Path("music/a.txt"), Path("music/sub/link_in"));
        fs::create_directory_symlink(Path("outside"), Path("music/link_out"));
        fs::create_directory_symlink(Path("music_old"), Path("music/old"));
        fs::create_symlink(Path("outside/secret.txt"), Path("music/secret"));
        fs::create_symlink(Path("nowhere"), Path("music/dangling"));
        WriteSettings("[shares]\n music = " + Path("music") + "/\nempty=" + Path("nosuch") + "\n");
    }
    void TearDown() override {
        // Nothing may stay held, or stopping would wait for ever.
        listeners_.Set(listeners_.holdQuestions, false);
        listeners_.Set(listeners_.holdLight, false);
        if (server_) server_->Stop();
    }

    std::string Path(const std::string& relative) const { return sandbox_.Path(relative); }
    void WriteSettings(const std::string& text) { sandbox_.MakeFile("wendaro.ini", text); }

    void Start(const std::function<void(ServerOptions&)>& adjust = {}) {
        ServerOptions options{.bindAddress = LoopbackAddress(), .port = 0};
        if (adjust) adjust(options);
        server_ = std::make_unique<CServerThread>(&listeners_, &listeners_, &listeners_, "host",
                                                  "1.0 ", &shutdown_, Path("wendaro.ini"), options);
        ASSERT_NE(server_->Port(), 0);
        // The test's own requests come from a host that discovery would know.
        server_->SetHostKnown(LoopbackAddress(), true);
    }
    net::UniqueSocket Connect() {
        return net::ConnectTo(LoopbackAddress(), server_->Port(), nullptr, 3);
    }
    // Sends one request line and leaves the connection open.
    net::UniqueSocket Send(const std::string& line) {
        net::UniqueSocket socket = Connect();
        EXPECT_TRUE(net::SendString(socket.get(), line, nullptr)) << line;
        return socket;
    }
    // Everything the server answers to one request line until it closes.
    std::string Ask(const std::string& line) { return ReadRaw(Send(line).get(), 64 << 20); }
    ServerCounts Counts() const { return server_->Counts(); }

    testing_support::TempFolder sandbox_;
    RecordingListeners listeners_;
    StopFlag shutdown_{false};
    std::unique_ptr<CServerThread> server_;
};

}  // namespace server_test
