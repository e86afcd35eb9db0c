// Splitting a command-line string into its arguments.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vorl {

constexpr size_t kMaxCommandLineBytes = 4095;
constexpr size_t kMaxArguments = 255;

struct SplitResult {
    int code = 0;  // 0, or -17 when there are more than 255 arguments
    std::vector<std::string> arguments;
};

// Blanks end an argument outside double quotes; the quotes switch the
// quoted mode and are dropped; control characters (bytes below the blank)
// are dropped and never separate. Bytes 0x80 to 0xFF are kept, so CP932
// names survive.
SplitResult SplitCommandLine(std::string_view line);

}  // namespace vorl
