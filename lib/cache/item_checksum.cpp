#include "item_checksum.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace vorl {
namespace {

constexpr uint64_t kPrime1 = 0x9E3779B185EBCA87ULL;
constexpr uint64_t kPrime2 = 0xC2B2AE3D27D4EB4FULL;
constexpr uint64_t kPrime3 = 0x165667B19E3779F9ULL;
constexpr uint64_t kPrime4 = 0x85EBCA77C2B2AE63ULL;
constexpr uint64_t kPrime5 = 0x27D4EB2F165667C5ULL;

uint64_t Rotate(uint64_t value, int bits)
{
    return (value << bits) | (value >> (64 - bits));
}

// Little-endian on every machine: two machines sharing a cache folder must
// agree on every entry's checksum.
uint64_t Load64(const uint8_t *bytes)
{
    uint64_t value = 0;
    for (int i = 7; i >= 0; --i) {
        value = value << 8 | bytes[i];
    }
    return value;
}

uint32_t Load32(const uint8_t *bytes)
{
    return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

uint64_t Round(uint64_t lane, uint64_t input)
{
    return Rotate(lane + input * kPrime2, 31) * kPrime1;
}

uint64_t Merge(uint64_t hash, uint64_t lane)
{
    return (hash ^ Round(0, lane)) * kPrime1 + kPrime4;
}

}  // namespace

ItemChecksum::ItemChecksum() : lanes_{kPrime1 + kPrime2, kPrime2, 0, 0 - kPrime1} {}

void ItemChecksum::Stripe(const uint8_t *stripe)
{
    for (size_t i = 0; i < lanes_.size(); ++i) {
        lanes_[i] = Round(lanes_[i], Load64(stripe + 8 * i));
    }
}

void ItemChecksum::Add(const void *data, size_t size)
{
    const auto *bytes = static_cast<const uint8_t *>(data);
    totalBytes_ += size;
    if (pendingSize_ > 0) {
        size_t taken = std::min(size, kStripe - pendingSize_);
        std::memcpy(pending_.data() + pendingSize_, bytes, taken);
        pendingSize_ += taken;
        bytes += taken;
        size -= taken;
        if (pendingSize_ < kStripe) {
            return;
        }
        Stripe(pending_.data());
        pendingSize_ = 0;
    }
    for (; size >= kStripe; bytes += kStripe, size -= kStripe) {
        Stripe(bytes);
    }
    std::memcpy(pending_.data(), bytes, size);
    pendingSize_ = size;
}

std::string ItemChecksum::HexDigest() const
{
    uint64_t hash = 0;
    if (totalBytes_ >= kStripe) {
        hash = Rotate(lanes_[0], 1) + Rotate(lanes_[1], 7) + Rotate(lanes_[2], 12) + Rotate(lanes_[3], 18);
        for (uint64_t lane : lanes_) {
            hash = Merge(hash, lane);
        }
    } else {
        hash = kPrime5;
    }
    hash += totalBytes_;
    const uint8_t *rest = pending_.data();
    size_t left = pendingSize_;
    for (; left >= 8; rest += 8, left -= 8) {
        hash = Rotate(hash ^ Round(0, Load64(rest)), 27) * kPrime1 + kPrime4;
    }
    if (left >= 4) {
        hash = Rotate(hash ^ (Load32(rest) * kPrime1), 23) * kPrime2 + kPrime3;
        rest += 4;
        left -= 4;
    }
    for (; left > 0; ++rest, --left) {
        hash = Rotate(hash ^ (*rest * kPrime5), 11) * kPrime1;
    }
    hash ^= hash >> 33;
    hash *= kPrime2;
    hash ^= hash >> 29;
    hash *= kPrime3;
    hash ^= hash >> 32;
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return text;
}

}  // namespace vorl
