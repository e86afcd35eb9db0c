// The two path exports under both rule sets, with every buffer size from
// 0 to the result's length: the result must be terminated and never
// written past the buffer (the buffer is exactly that size on the heap).
#include <cstring>
#include <memory>
#include <string>

#include "fuzz_support.h"
#include "path_conversion.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::string input(reinterpret_cast<const char *>(data), size);
    size_t split = input.find('\0');
    if (split == std::string::npos) {
        split = input.size() / 2;
    }
    std::string path = input.substr(0, split).c_str();
    std::string base = input.substr(split < input.size() ? split + 1 : split).c_str();
    for (const auto *rules : {&vorl::host::kWindowsRules, &vorl::host::kPosixRules}) {
        for (auto convert : {vorl::ConvertAbsToRel, vorl::ConvertRelToAbs}) {
            for (int room : {0, 1, 2, 3, 8, 64, 511}) {
                std::unique_ptr<char[]> buffer(new char[static_cast<size_t>(room > 0 ? room : 1)]);
                int fits = convert(path.c_str(), base.c_str(), buffer.get(), room, *rules);
                if (room > 0 && std::memchr(buffer.get(), '\0', static_cast<size_t>(room)) == nullptr) {
                    abort();  // not terminated
                }
                if (fits != 0 && fits != 1) {
                    abort();
                }
            }
        }
    }
    return 0;
}
