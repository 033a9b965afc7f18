// A file being received: written under a hidden temporary name beside its target and renamed over
// the target only once complete, so a failed transfer leaves neither a partial file nor a damaged
// older copy behind.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "util/result.h"

namespace net::detail {

// The permissions a file the user creates gets here: 0666 less the umask.
unsigned NewFileMode();

// All `size` bytes into the open file `fd`, or why not (a full disk as ENOSPC).
util::Status WriteAll(int fd, const char* data, std::size_t size);

class PartFile {
public:
    PartFile() = default;
    PartFile(const PartFile&) = delete;
    PartFile& operator=(const PartFile&) = delete;
    // Removes the temporary file unless Commit succeeded.
    ~PartFile();

    // Creates ".<name>.wendaro-part-XXXXXX" in the target's folder, with the permissions the
    // finished file will have (NewFileMode).
    util::Status Create(const std::string& target);
    // Claims space a bounded step ahead of the `arrived` bytes, never past `length`, where the
    // file system can: a full disk shows before the data reach it and the file is laid out in few
    // pieces, while a host that announces a huge length and then sends nothing holds no more of
    // the disk than one step. The claim leaves the file's size alone.
    util::Status ReserveAhead(std::uint64_t arrived, std::uint64_t length);
    util::Status Write(const char* data, std::size_t size);
    // Closes the file and renames it over the target.
    util::Status Commit();

    int Descriptor() const { return fd_; }
    const std::string& TemporaryName() const { return temporary_; }

private:
    void Discard();

    int fd_ = -1;
    std::uint64_t reserved_ = 0;
    std::string target_;
    std::string temporary_;
};

}  // namespace net::detail
