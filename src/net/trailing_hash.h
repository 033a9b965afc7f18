// The SHA-256 of a file that another thread is writing, computed on a thread of its own that reads
// the file right behind the writer. The bytes read are still in the page cache, so hashing costs
// a memory copy and none of the writer's time; and what is hashed is exactly what the file holds,
// bytes an earlier attempt left included.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "core/types.h"
#include "net/sha256.h"
#include "util/result.h"

namespace net {

class TrailingHash {
public:
    // Starts hashing the file `fd` (open for reading) from its first byte; its first `written`
    // bytes are there already.
    TrailingHash(int fd, std::uint64_t written, const StopFlag* stop);
    // Gives up unless finished, and waits for the thread.
    ~TrailingHash();
    TrailingHash(const TrailingHash&) = delete;
    TrailingHash& operator=(const TrailingHash&) = delete;

    // The writer's news: the file now holds its first `written` bytes. Waits while the hash lags
    // too far behind what this writer wrote (bytes that were there before do not count, so that
    // they are hashed while the writer goes on); an error when the hashing failed or was stopped.
    util::Status Written(std::uint64_t written);
    // The writer is done: waits until everything written is hashed and returns the digest as 64
    // lowercase hex digits.
    util::Result<std::string> Finish();

private:
    void Run();
    // False once the writer has given up.
    bool Publish(std::uint64_t hashed);
    void Fail(util::Error error);
    void Abandon();

    const int fd_;
    const StopFlag* const stop_;
    Sha256 hash_;  // the thread's alone until it ends
    std::mutex lock_;
    std::condition_variable changed_;
    const std::uint64_t before_;
    std::uint64_t written_;
    std::uint64_t hashed_ = 0;
    bool finished_ = false;
    bool abandoned_ = false;
    std::optional<util::Error> failure_;
    std::thread thread_;
};

}  // namespace net
