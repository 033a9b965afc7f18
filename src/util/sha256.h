// SHA-256 over data that arrive in pieces, through the system's crypto library, which uses the
// processor's SHA instructions where it has them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace util {

using Sha256Digest = std::array<std::uint8_t, 32>;

class Sha256 {
public:
    Sha256();
    ~Sha256();
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;

    // Starts a new digest; the object may be reused for any number of them.
    void Reset();
    void Update(const void* data, std::size_t size);
    // The digest of everything since the last Reset; Reset before the next Update.
    Sha256Digest Final();

private:
    struct Context;
    Context* context_;
};

// Lower-case hexadecimal, 64 characters.
std::string ToHex(const Sha256Digest& digest);

}  // namespace util
