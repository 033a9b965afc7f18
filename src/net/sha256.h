// SHA-256 through the system's crypto library, which picks the processor's SHA instructions where
// they exist: a download can then be checked at the speed it arrives.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

struct evp_md_ctx_st;

namespace net {

class Sha256 {
public:
    Sha256();
    ~Sha256();
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;

    void Update(const void* data, std::size_t size);
    // The digest of everything given since the start (or the last Reset), as 64 lowercase hex
    // digits; the object starts over afterwards.
    std::string HexDigest();
    void Reset();

private:
    evp_md_ctx_st* context_;
};

}  // namespace net
