// The SHA-256 compression of whole 64-byte blocks, in plain C++ and with
// the processor's SHA instructions (x86-64), which are about ten times as
// fast. ContentHash picks one; both are here so that tests can hold them
// against each other.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vorl::sha256 {

using BlockFunction = void (*)(uint32_t *state, const uint8_t *data, size_t blocks);

void PortableBlocks(uint32_t *state, const uint8_t *data, size_t blocks);
// The instructions' version, or nothing when this processor lacks them.
BlockFunction InstructionBlocks();
// The fastest this processor runs.
BlockFunction BestBlocks();

}  // namespace vorl::sha256
