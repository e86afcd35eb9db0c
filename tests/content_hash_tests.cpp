// SHA-256 as the cache keys use it: the standard's test vectors through
// every way of feeding the bytes, and the processor's instructions against
// the plain C++ on many lengths.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "content_hash.h"
#include "sha256_blocks.h"

namespace vorl {
namespace {

TEST(ContentHash, KnownDigestsWhateverThePieces)
{
    const struct {
        std::string text;
        const char *digest;
    } vectors[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    };
    for (const auto &v : vectors) {
        for (size_t piece : {size_t{1}, size_t{63}, size_t{64}, size_t{65}, v.text.size() + 1}) {
            if (piece == 1 && v.text.size() > 1000) {
                continue;
            }
            ContentHash hash;
            for (size_t at = 0; at < v.text.size(); at += piece) {
                hash.Add(std::string_view(v.text).substr(at, piece));
            }
            EXPECT_EQ(v.digest, hash.HexDigest()) << v.text.size() << " bytes in pieces of " << piece;
        }
    }
}

TEST(ContentHash, ProcessorInstructionsAgreeWithPlainCode)
{
    sha256::BlockFunction instructions = sha256::InstructionBlocks();
    if (instructions == nullptr) {
        GTEST_SKIP() << "this processor has no SHA instructions";
    }
    std::mt19937 random(11);
    std::vector<uint8_t> bytes(64 * 40);
    for (uint8_t &byte : bytes) {
        byte = static_cast<uint8_t>(random());
    }
    for (size_t blocks : {1u, 2u, 7u, 40u}) {
        uint32_t plain[8], fast[8];
        for (int i = 0; i < 8; ++i) {
            plain[i] = fast[i] = static_cast<uint32_t>(random());
        }
        sha256::PortableBlocks(plain, bytes.data(), blocks);
        instructions(fast, bytes.data(), blocks);
        EXPECT_EQ(std::vector<uint32_t>(plain, plain + 8), std::vector<uint32_t>(fast, fast + 8)) << blocks;
    }
}

}  // namespace
}  // namespace vorl
