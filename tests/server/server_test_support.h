// Shared pieces of the share server tests: a sandbox with shares and a settings file, listeners
// that record (and can hold) every call, and a client that talks to the server over loopback.
#pragma once

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "net/framing.h"
#include "server/server_thread.h"
#include "support/loopback.h"

namespace server_test {

namespace fs = std::filesystem;

// A fresh folder per test, removed with everything in it afterwards.
class Sandbox {
public:
    Sandbox() {
        std::string pattern = (fs::temp_directory_path() / "wendaro_server.XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr) root_ = pattern;
    }
    ~Sandbox() {
        std::error_code ignored;
        fs::remove_all(root_, ignored);
    }
    Sandbox(const Sandbox&) = delete;
    Sandbox& operator=(const Sandbox&) = delete;

    std::string Path(const std::string& relative) const { return (root_ / relative).string(); }

    void WriteFile(const std::string& relative, const std::string& content) const {
        fs::create_directories(fs::path(Path(relative)).parent_path());
        std::ofstream(Path(relative), std::ios::binary) << content;
    }
    void MakeFolder(const std::string& relative) const { fs::create_directories(Path(relative)); }

private:
    fs::path root_;
};

// Waits (bounded) until `condition` holds; true when it did.
inline bool Eventually(const std::function<bool()>& condition, int timeoutMs = 5000) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

// Records every listener call. Permission answers and "hostmodified" handling can be held until
// the test releases them, which keeps connections running for as long as a test needs.
class RecordingListeners : public UploadListener, public ServerListener, public PermissionListener {
public:
    struct UploadEvent {
        char kind;  // 'S'tarted, 'P'rogress, 'F'inished
        std::uint32_t id;
        bool success;
    };

    void OnUploadStarted(std::uint32_t id) override { Record({'S', id, false}); }
    void OnUploadProgress(std::uint32_t id, unsigned, float) override { Record({'P', id, false}); }
    void OnUploadFinished(std::uint32_t id, bool success) override { Record({'F', id, success}); }

    void OnUploadRequested(std::uint32_t id, const StopFlag** stopFlagSlot) override {
        std::function<void(std::uint32_t, const StopFlag**)> hook;
        {
            std::lock_guard guard(mutex_);
            uploadRequests_.push_back(id);
            hook = onUploadRequested_;
        }
        changed_.notify_all();
        if (hook) hook(id, stopFlagSlot);
    }

    void OnHostModified(Ipv4 address) override {
        std::unique_lock guard(mutex_);
        hostModified_.push_back(address);
        changed_.notify_all();
        changed_.wait(guard, [this] { return !holdHostModified_; });
    }

    bool MayDownload(Ipv4 address) override {
        std::unique_lock guard(mutex_);
        permissionAsks_.push_back(address);
        changed_.notify_all();
        changed_.wait(guard, [this] { return !holdPermission_; });
        return allowDownloads_;
    }

    void AllowDownloads(bool allow) {
        std::lock_guard guard(mutex_);
        allowDownloads_ = allow;
    }
    void HoldPermission(bool hold) {
        {
            std::lock_guard guard(mutex_);
            holdPermission_ = hold;
        }
        changed_.notify_all();
    }
    void HoldHostModified(bool hold) {
        {
            std::lock_guard guard(mutex_);
            holdHostModified_ = hold;
        }
        changed_.notify_all();
    }
    void SetUploadRequestedHook(std::function<void(std::uint32_t, const StopFlag**)> hook) {
        std::lock_guard guard(mutex_);
        onUploadRequested_ = std::move(hook);
    }

    std::vector<UploadEvent> Uploads() const {
        std::lock_guard guard(mutex_);
        return uploads_;
    }
    std::vector<Ipv4> PermissionAsks() const {
        std::lock_guard guard(mutex_);
        return permissionAsks_;
    }
    std::vector<Ipv4> HostModified() const {
        std::lock_guard guard(mutex_);
        return hostModified_;
    }
    std::vector<std::uint32_t> UploadRequests() const {
        std::lock_guard guard(mutex_);
        return uploadRequests_;
    }
    // Waits (bounded) for a finished upload; true when one came.
    bool WaitForUploadFinished(int timeoutMs = 5000) const {
        std::unique_lock guard(mutex_);
        return changed_.wait_for(guard, std::chrono::milliseconds(timeoutMs), [this] {
            for (const auto& event : uploads_) {
                if (event.kind == 'F') return true;
            }
            return false;
        });
    }

private:
    void Record(UploadEvent event) {
        {
            std::lock_guard guard(mutex_);
            uploads_.push_back(event);
        }
        changed_.notify_all();
    }

    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    bool allowDownloads_ = true;
    bool holdPermission_ = false;
    bool holdHostModified_ = false;
    std::function<void(std::uint32_t, const StopFlag**)> onUploadRequested_;
    std::vector<UploadEvent> uploads_;
    std::vector<Ipv4> permissionAsks_;
    std::vector<Ipv4> hostModified_;
    std::vector<std::uint32_t> uploadRequests_;
};

// Options for a server on 127.0.0.1 with a kernel-chosen port.
inline ServerOptions LoopbackOptions() {
    ServerOptions options;
    options.bindAddress = testing_support::LoopbackAddress();
    options.port = 0;
    return options;
}

// Opens a connection to the server's port; invalid on failure.
inline net::UniqueSocket Connect(std::uint16_t port) {
    return net::ConnectTo(testing_support::LoopbackAddress(), port, nullptr, 3);
}

// Opens a connection and sends one framed request line.
inline net::UniqueSocket SendRequest(std::uint16_t port, const std::string& line) {
    net::UniqueSocket socket = Connect(port);
    if (socket.valid() && !net::SendString(socket.get(), line, nullptr)) socket.reset();
    return socket;
}

// Everything the server sends until it closes (bounded in time and size).
inline std::string Exchange(std::uint16_t port, const std::string& line) {
    net::UniqueSocket socket = SendRequest(port, line);
    if (!socket.valid()) return "<no connection>";
    return testing_support::ReadRaw(socket.get(), 64 << 20, 5000);
}

// True when the peer closed the connection within the time limit (any data read is discarded).
inline bool ClosedByPeer(net::Socket socket, int timeoutMs = 5000) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    char buffer[4096];
    while (std::chrono::steady_clock::now() < deadline) {
        const ssize_t got = ::recv(socket, buffer, sizeof buffer, MSG_DONTWAIT);
        if (got == 0) return true;
        if (got < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) return true;
        pollfd entry{socket, POLLIN, 0};
        ::poll(&entry, 1, 50);
    }
    return false;
}

// True when the connection is still open and silent right now.
inline bool StillOpen(net::Socket socket) {
    char byte;
    const ssize_t got = ::recv(socket, &byte, 1, MSG_DONTWAIT | MSG_PEEK);
    return got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
}

inline std::string Framed(const std::string& payload) {
    return std::to_string(payload.size()) + ":" + payload;
}

}  // namespace server_test
