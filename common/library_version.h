// The library's version number in its parts: VorlGetDllVersion() gives
// major << 24 | minor << 16 | build (0x2000002 is 2.0.2). vorlcnv prints
// them and the editor shows them, read the same way.
#pragma once

#include <cstdint>

namespace vorl::common {

struct LibraryVersion {
    uint32_t major = 0;
    uint32_t minor = 0;
    uint32_t build = 0;
};

constexpr LibraryVersion DecodeLibraryVersion(int32_t version)
{
    const auto bits = static_cast<uint32_t>(version);
    return {bits >> 24, (bits >> 16) & 0xFFu, bits & 0xFFFFu};
}

}  // namespace vorl::common
