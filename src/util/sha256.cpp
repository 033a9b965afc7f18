#include "util/sha256.h"

#include <openssl/evp.h>

#include <cstdlib>

namespace util {

struct Sha256::Context {
    EVP_MD_CTX* md = nullptr;
};

Sha256::Sha256() : context_(new Context) {
    context_->md = EVP_MD_CTX_new();
    // Without a context nothing could be verified; no caller could go on safely.
    if (context_->md == nullptr) std::abort();
    Reset();
}

Sha256::~Sha256() {
    EVP_MD_CTX_free(context_->md);
    delete context_;
}

void Sha256::Reset() {
    EVP_DigestInit_ex(context_->md, EVP_sha256(), nullptr);
}

void Sha256::Update(const void* data, std::size_t size) {
    if (size > 0) EVP_DigestUpdate(context_->md, data, size);
}

Sha256Digest Sha256::Final() {
    Sha256Digest digest{};
    unsigned int length = 0;
    EVP_DigestFinal_ex(context_->md, digest.data(), &length);
    return digest;
}

std::string ToHex(const Sha256Digest& digest) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    text.reserve(digest.size() * 2);
    for (const std::uint8_t byte : digest) {
        text += kDigits[byte >> 4];
        text += kDigits[byte & 0x0f];
    }
    return text;
}

}  // namespace util
