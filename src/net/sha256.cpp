#include "net/sha256.h"

#include <openssl/evp.h>

#include <new>

namespace net {

Sha256::Sha256() : context_(EVP_MD_CTX_new()) {
    if (context_ == nullptr) throw std::bad_alloc();
    Reset();
}

Sha256::~Sha256() {
    EVP_MD_CTX_free(context_);
}

void Sha256::Reset() {
    EVP_DigestInit_ex(context_, EVP_sha256(), nullptr);
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
