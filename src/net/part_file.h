// A file being received: written under a hidden temporary name beside its target and renamed over
// the target only once complete, so a failed transfer leaves neither a partial file nor a damaged
// older copy behind.
#pragma once

#include <cstddef>
#include <string>

namespace net::detail {

class PartFile {
public:
    PartFile() = default;
    PartFile(const PartFile&) = delete;
    PartFile& operator=(const PartFile&) = delete;
    // Removes the temporary file unless Commit succeeded.
    ~PartFile();

    // Creates ".<name>.wendaro-part-XXXXXX" in the target's folder.
    bool Create(const std::string& target);
    bool Write(const char* data, std::size_t size);
    // Gives the file ordinary permissions and renames it over the target.
    bool Commit();

    const std::string& TemporaryName() const { return temporary_; }

private:
    void Discard();

    int fd_ = -1;
    std::string target_;
    std::string temporary_;
};

}  // namespace net::detail
