// SHA-256 of a byte stream, for the keys and checksums of the converter
// cache: a key must not collide in practice, even for files crafted to.
// libcrypto does the hashing: it uses the processor's SHA instructions
// where there are any, several times the speed of plain C.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

struct evp_md_ctx_st;

namespace vorl {

class ContentHash {
public:
    ContentHash();
    ~ContentHash();
    ContentHash(const ContentHash &) = delete;
    ContentHash &operator=(const ContentHash &) = delete;

    void Add(const void *data, size_t size);
    void Add(std::string_view text) { Add(text.data(), text.size()); }
    // The digest as 64 lowercase hexadecimal digits; the hash is spent.
    std::string HexDigest();

private:
    evp_md_ctx_st *context_;
};

// The SHA-256 of `text` in hexadecimal.
std::string HexDigestOf(std::string_view text);

}  // namespace vorl
