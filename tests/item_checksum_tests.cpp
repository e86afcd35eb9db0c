// The checksum a cache entry carries: the same for any split of the bytes,
// the construction's published value, and changed by any one flipped bit.
#include <gtest/gtest.h>

#include <string>

#include "item_checksum.h"

namespace vorl {
namespace {

std::string ChecksumOf(const std::string &bytes, size_t piece)
{
    ItemChecksum checksum;
    for (size_t at = 0; at < bytes.size(); at += piece) {
        checksum.Add(bytes.data() + at, std::min(piece, bytes.size() - at));
    }
    return checksum.HexDigest();
}

TEST(ItemChecksum, EmptyInputHasThePublishedValue)
{
    EXPECT_EQ("ef46db3751d8e999", ItemChecksum().HexDigest());
}

TEST(ItemChecksum, AnySplitGivesTheSameAndAnyFlippedBitChangesIt)
{
    // Lengths around the 32-byte stripe and its 8- and 4-byte tails.
    for (size_t length : {1u, 3u, 4u, 7u, 8u, 31u, 32u, 33u, 45u, 63u, 64u, 1000u}) {
        std::string bytes(length, '\0');
        for (size_t i = 0; i < length; ++i) {
            bytes[i] = static_cast<char>(i * 37 + length);
        }
        const std::string whole = ChecksumOf(bytes, length);
        for (size_t piece : {1u, 5u, 31u, 32u, 33u}) {
            EXPECT_EQ(whole, ChecksumOf(bytes, piece)) << length << " bytes in pieces of " << piece;
        }
        for (size_t at : {size_t{0}, length / 2, length - 1}) {
            std::string flipped = bytes;
            flipped[at] ^= 0x10;
            EXPECT_NE(whole, ChecksumOf(flipped, length)) << length << " bytes, flipped at " << at;
        }
        EXPECT_NE(whole, ChecksumOf(bytes + std::string(1, '\0'), length + 1)) << length << " bytes and a zero";
    }
}

}  // namespace
}  // namespace vorl
