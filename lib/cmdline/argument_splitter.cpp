#include "argument_splitter.h"

#include "vorl_cnv.h"

namespace vorl {
namespace {

bool IsBlankOrControl(char c)
{
    return static_cast<unsigned char>(c) <= ' ';
}

bool IsControl(char c)
{
    return static_cast<unsigned char>(c) < ' ';
}

}  // namespace

SplitResult SplitCommandLine(std::string_view line)
{
    SplitResult result;
    size_t i = 0;
    bool quoted = false;
    // Blanks and control characters between arguments. A double quote
    // starts the next argument, so "" between blanks is an empty one (an
    // unused row), as it is at the start of the line.
    auto skipSeparators = [&] {
        while (i < line.size() && IsBlankOrControl(line[i])) {
            ++i;
        }
    };
    skipSeparators();
    if (i == line.size()) {
        return result;
    }
    std::string current;
    while (true) {
        if (i == line.size()) {
            result.arguments.push_back(current);
            return result;
        }
        char c = line[i++];
        if (c == '"') {
            quoted = !quoted;
        } else if (c == ' ' && !quoted) {
            result.arguments.push_back(current);
            current.clear();
            skipSeparators();
            if (i == line.size()) {
                return result;
            }
            if (result.arguments.size() == kMaxArguments) {
                result.code = VORL_ERR_TOO_MANY_ARGUMENTS;
                return result;
            }
        } else if (!IsControl(c)) {
            current.push_back(c);
        }
    }
}

}  // namespace vorl
