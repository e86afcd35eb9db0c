// VorlGetErrorStrings and VorlGetMessageText with every code, buffer size
// and language: the buffer is exactly the size given, so a write past it
// is caught.
#include <cstring>
#include <memory>
#include <string>

#include "fuzz_support.h"
#include "vorl_cnv.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 8) {
        return 0;
    }
    int code;
    int room;
    std::memcpy(&code, data, 4);
    std::memcpy(&room, data + 4, 4);
    room %= 4096;
    size_t allocated = room > 0 ? static_cast<size_t>(room) : 1;
    std::unique_ptr<char[]> buffer(new char[allocated]);
    std::memset(buffer.get(), 'x', allocated);
    int rc = VorlGetErrorStrings(code % 64 - 32, buffer.get(), room);
    if (rc == 0 && std::memchr(buffer.get(), '\0', allocated) == nullptr) {
        abort();
    }
    std::string language(reinterpret_cast<const char *>(data) + 8, size - 8);
    std::memset(buffer.get(), 'x', allocated);
    rc = VorlGetMessageText(code % 64 - 32, language.c_str(), buffer.get(), room);
    if (rc >= 0 && std::memchr(buffer.get(), '\0', allocated) == nullptr) {
        abort();
    }
    return 0;
}
