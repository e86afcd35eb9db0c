#include "content_hash.h"

#include <algorithm>
#include <cstring>

#include "sha256_blocks.h"

namespace vorl {

ContentHash::ContentHash()
    : state_{0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a, 0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19}
{
}

void ContentHash::Add(const void *data, size_t size)
{
    const auto *bytes = static_cast<const uint8_t *>(data);
    totalBytes_ += size;
    if (pendingSize_ > 0) {
        size_t take = std::min(size, pending_.size() - pendingSize_);
        std::memcpy(pending_.data() + pendingSize_, bytes, take);
        pendingSize_ += take;
        bytes += take;
        size -= take;
        if (pendingSize_ < pending_.size()) {
            return;
        }
        sha256::BestBlocks()(state_.data(), pending_.data(), 1);
        pendingSize_ = 0;
    }
    // Whole blocks straight from the caller's bytes.
    const size_t blocks = size / pending_.size();
    sha256::BestBlocks()(state_.data(), bytes, blocks);
    bytes += blocks * pending_.size();
    size -= blocks * pending_.size();
    std::memcpy(pending_.data(), bytes, size);
    pendingSize_ = size;
}

std::string ContentHash::HexDigest()
{
    const uint64_t bits = totalBytes_ * 8;
    uint8_t tail[72] = {0x80};
    // The padding ends the message on a block boundary with its length.
    const size_t padding = (pendingSize_ < 56 ? 56 : 120) - pendingSize_;
    for (int i = 0; i < 8; ++i) {
        tail[padding + i] = static_cast<uint8_t>(bits >> (56 - 8 * i));
    }
    Add(tail, padding + 8);
    static const char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (uint32_t word : state_) {
        for (int shift = 28; shift >= 0; shift -= 4) {
            hex += kDigits[(word >> shift) & 0xF];
        }
    }
    return hex;
}

std::string HexDigestOf(std::string_view text)
{
    ContentHash hash;
    hash.Add(text);
    return hash.HexDigest();
}

}  // namespace vorl
