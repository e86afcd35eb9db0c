#include "absolute_path.h"

#include "fixed_text.h"

namespace vorl {
namespace {

bool IsAbsolute(std::string_view path, const host::PathRules &rules)
{
    if (!path.empty() && rules.IsSeparator(path[0])) {
        return true;
    }
    return rules.hasDrives && path.size() >= 2 && path[1] == ':';
}

// The end of `base` moved back to its previous separator, or to its start.
// The search runs forward: walking back, a trail byte 0x5C cannot be told
// from a separator.
size_t ParentEnd(std::string_view base, size_t end, const host::PathRules &rules)
{
    size_t separator = rules.LastSeparator(base.substr(0, end));
    return separator == std::string_view::npos ? 0 : separator;
}

}  // namespace

std::string ResolveAbsolutePath(std::string_view relative, std::string_view base, const host::PathRules &rules)
{
    if (IsAbsolute(relative, rules)) {
        return std::string(relative);
    }
    bool baseHasTrailing = rules.EndsInSeparator(base);
    size_t end = baseHasTrailing ? base.size() - 1 : base.size();

    if (relative == "." || (relative.size() == 2 && relative[0] == '.' && rules.IsSeparator(relative[1]))) {
        std::string result(base.substr(0, end));
        if (relative.size() == 2) {
            result.push_back(rules.joinSeparator);
        }
        return result;
    }

    bool lastEndedInSeparator = false;
    while (!relative.empty() && relative[0] == '.') {
        bool dotDot = relative.size() >= 2 && relative[1] == '.';
        if (dotDot && relative.size() >= 3 && rules.IsSeparator(relative[2])) {
            end = ParentEnd(base, end, rules);
            relative.remove_prefix(3);
            lastEndedInSeparator = true;
        } else if (!dotDot && relative.size() >= 2 && rules.IsSeparator(relative[1])) {
            relative.remove_prefix(2);
            lastEndedInSeparator = true;
        } else if (dotDot && relative.size() == 2) {
            end = ParentEnd(base, end, rules);
            relative.remove_prefix(2);
            lastEndedInSeparator = false;
        } else {
            break;
        }
    }

    std::string result(base.substr(0, end));
    if (!relative.empty() || lastEndedInSeparator || end == 0) {
        result.push_back(rules.joinSeparator);
    }
    result.append(relative);
    return result;
}

int MakeAbsolutePath(const char *relative, const char *base, char *out, int size, const host::PathRules &rules)
{
    if (relative == nullptr || base == nullptr) {
        return 0;
    }
    return PutPathResult(ResolveAbsolutePath(relative, base, rules), out, size);
}

}  // namespace vorl
