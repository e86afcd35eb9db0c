// The checksum that a cache entry carries, to find an entry damaged on
// disk or cut short. It guards against accidents, not against anyone:
// whoever can write an entry can write its checksum too. So it is a fast
// 64-bit mixing hash (the xxHash64 construction, several gigabytes a
// second), and the hit of a large entry costs little more than reading it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace vorl {

class ItemChecksum {
public:
    ItemChecksum();
    void Add(const void *data, size_t size);
    // The checksum as 16 lowercase hexadecimal digits.
    std::string HexDigest() const;

private:
    static constexpr size_t kStripe = 32;

    void Stripe(const uint8_t *stripe);

    std::array<uint64_t, 4> lanes_;
    std::array<uint8_t, kStripe> pending_{};
    size_t pendingSize_ = 0;
    uint64_t totalBytes_ = 0;
};

}  // namespace vorl
