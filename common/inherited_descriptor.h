// Names that stand for a descriptor the process inherited: /dev/stdout,
// /dev/stderr, /dev/fd/N and /proc/self/fd/N. An output named so is
// written into that descriptor, keeping its position and its append mode
// (the shell's ">>"): the file behind it is never opened afresh, which
// would write from its start, nor replaced, which would drop what it held.
// The library writes so, and vorlcnv names such an output without a size,
// as the file behind it holds more than this run wrote.
#pragma once

#include <optional>
#include <string_view>

namespace vorl::common {

constexpr std::optional<int> InheritedDescriptorOf(std::string_view name)
{
    if (name == "/dev/stdin") {
        return 0;
    }
    if (name == "/dev/stdout") {
        return 1;
    }
    if (name == "/dev/stderr") {
        return 2;
    }
    for (std::string_view folder : {std::string_view("/dev/fd/"), std::string_view("/proc/self/fd/")}) {
        if (name.substr(0, folder.size()) != folder || name.size() == folder.size() ||
            name.size() > folder.size() + 6) {
            continue;
        }
        int descriptor = 0;
        for (char c : name.substr(folder.size())) {
            if (c < '0' || c > '9') {
                return std::nullopt;
            }
            descriptor = descriptor * 10 + (c - '0');
        }
        return descriptor;
    }
    return std::nullopt;
}

}  // namespace vorl::common
