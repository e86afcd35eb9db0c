// Splitting a command-line string into its arguments.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "command_line_options.h"

namespace vorl {

constexpr size_t kMaxCommandLineBytes = options::kLongestCommandLine;
constexpr size_t kMaxArguments = options::kMostArguments;

struct SplitResult {
    int code = 0;  // 0, or -17 when there are more than kMaxArguments
    std::vector<std::string> arguments;
};

// Blanks end an argument outside double quotes; the quotes switch the
// quoted mode and are dropped; control characters (bytes below the blank)
// are dropped and never separate. Bytes 0x80 to 0xFF are kept, so CP932
// names survive.
SplitResult SplitCommandLine(std::string_view line);

}  // namespace vorl
