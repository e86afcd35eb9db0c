#include "path_conversion.h"

#include <string>

#include "absolute_path.h"
#include "fixed_text.h"
#include "lower_ascii_sjis.h"
#include "relative_path.h"

namespace vorl {
namespace {

std::string PreparedCopy(const char *text, const host::PathRules &rules)
{
    std::string copy(text);
    if (rules.foldsCase) {
        LowerAsciiSjis(copy);
    }
    return copy;
}

}  // namespace

int ConvertAbsToRel(const char *path, const char *base, char *out, int size, const host::PathRules &rules)
{
    if (path == nullptr || base == nullptr) {
        return 0;
    }
    auto result = ResolveRelativePath(PreparedCopy(path, rules), PreparedCopy(base, rules), size, rules);
    // A result that does not fit still leaves a terminated buffer.
    return PutPathResult(result.value_or(std::string()), out, size) == 1 && result ? 1 : 0;
}

int ConvertRelToAbs(const char *path, const char *base, char *out, int size, const host::PathRules &rules)
{
    if (path == nullptr || base == nullptr) {
        return 0;
    }
    return PutPathResult(MakeAbsolutePath(PreparedCopy(path, rules), PreparedCopy(base, rules), rules), out, size);
}

}  // namespace vorl
