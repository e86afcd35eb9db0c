#include "content_hash.h"

#include <openssl/evp.h>

#include <new>

namespace vorl {
namespace {

// Fetched once: looking the algorithm up for every hash costs more than
// hashing a small file.
const EVP_MD *Sha256()
{
    static const EVP_MD *const algorithm = EVP_sha256();
    return algorithm;
}

}  // namespace

ContentHash::ContentHash() : context_(EVP_MD_CTX_new())
{
    if (context_ == nullptr || EVP_DigestInit_ex(context_, Sha256(), nullptr) != 1) {
        EVP_MD_CTX_free(context_);
        throw std::bad_alloc();
    }
}

ContentHash::~ContentHash()
{
    EVP_MD_CTX_free(context_);
}

void ContentHash::Add(const void *data, size_t size)
{
    // Only a context that failed to start can fail to update, and the
    // constructor refuses those.
    EVP_DigestUpdate(context_, data, size);
}

std::string ContentHash::HexDigest()
{
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    EVP_DigestFinal_ex(context_, digest, &size);
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    text.reserve(2 * size);
    for (unsigned int i = 0; i < size; ++i) {
        text.push_back(kDigits[digest[i] >> 4]);
        text.push_back(kDigits[digest[i] & 15]);
    }
    return text;
}

std::string HexDigestOf(std::string_view text)
{
    ContentHash hash;
    hash.Add(text);
    return hash.HexDigest();
}

}  // namespace vorl
