// SHA-256 of a byte stream, for the keys of the converter cache: a key
// must not collide in practice, even for files crafted to.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vorl {

class ContentHash {
public:
    ContentHash();
    void Add(const void *data, size_t size);
    void Add(std::string_view text) { Add(text.data(), text.size()); }
    // The digest as 64 lowercase hexadecimal digits; the hash is spent.
    std::string HexDigest();

private:
    std::array<uint32_t, 8> state_;
    std::array<uint8_t, 64> pending_{};
    size_t pendingSize_ = 0;
    uint64_t totalBytes_ = 0;
};

// The SHA-256 of `text` in hexadecimal.
std::string HexDigestOf(std::string_view text);

}  // namespace vorl
