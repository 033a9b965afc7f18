#include "net/sha256.h"

#include <openssl/evp.h>

#include <new>

namespace net {
namespace {

// Fetched once: naming the digest at every start makes the library look it up again, under its
// locks, which a stream of thousands of small files pays for each file.
const EVP_MD* Sha256Method() {
    static EVP_MD* const fetched = EVP_MD_fetch(nullptr, "SHA256", nullptr);
    return fetched != nullptr ? fetched : EVP_sha256();
}

}  // namespace

Sha256::Sha256() : context_(EVP_MD_CTX_new()) {
    if (context_ == nullptr) throw std::bad_alloc();
    Reset();
}

Sha256::~Sha256() {
    EVP_MD_CTX_free(context_);
}

void Sha256::Reset() {
    EVP_DigestInit_ex(context_, Sha256Method(), nullptr);
}

void Sha256::Update(const void* data, std::size_t size) {
    if (size > 0) EVP_DigestUpdate(context_, data, size);
}

std::string Sha256::HexDigest() {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_DigestFinal_ex(context_, digest, &length);
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    text.reserve(2 * length);
    for (unsigned int i = 0; i < length; ++i) {
        text += kDigits[digest[i] >> 4];
        text += kDigits[digest[i] & 0xf];
    }
    Reset();
    return text;
}

}  // namespace net
