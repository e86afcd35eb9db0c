#include "relative_path.h"

#include <algorithm>

#include "fixed_text.h"

namespace vorl {
namespace {

char At(std::string_view text, size_t i)
{
    return i < text.size() ? text[i] : '\0';
}

bool IsEmptyOrSeparator(std::string_view rest, const host::PathRules &rules)
{
    return rest.empty() || (rest.size() == 1 && rules.IsSeparator(rest[0]));
}

}  // namespace

std::optional<std::string> ResolveRelativePath(std::string_view path, std::string_view base, int size,
                                               const host::PathRules &rules)
{
    bool pathRooted = rules.IsSeparator(At(path, 0));
    bool baseRooted = rules.IsSeparator(At(base, 0));
    // Different roots (or drive letters) share nothing to be relative to.
    if (pathRooted != baseRooted || (!pathRooted && At(path, 0) != At(base, 0))) {
        return std::string(path);
    }

    // The shared start is measured in whole characters, so that `p` and
    // every position taken from it start a character in both texts: a
    // trail byte 0x5C is never met where a separator is looked for.
    // Where no separator is shared, the whole path is kept after the "..".
    constexpr size_t kNone = std::string_view::npos;
    size_t p = 0;
    size_t lastSeparator = kNone;
    while (p < base.size() && p < path.size()) {
        // A lead byte that ends one text still differs from a whole
        // character in the other.
        size_t bytes = std::max(host::CharacterBytes(path, p), host::CharacterBytes(base, p));
        if (path.substr(p, bytes) != base.substr(p, bytes)) {
            break;
        }
        if (rules.IsSeparator(path[p])) {
            lastSeparator = p;
        }
        p += bytes;
    }
    std::string_view restOfPath = path.substr(p);
    std::string_view restOfBase = base.substr(p);

    if (IsEmptyOrSeparator(restOfPath, rules) && IsEmptyOrSeparator(restOfBase, rules)) {
        if (size < 3) {
            return std::nullopt;
        }
        bool endsInSeparator = rules.IsSeparator(At(path, p)) || (p > 0 && lastSeparator == p - 1);
        return endsInSeparator ? std::string(".") + rules.joinSeparator : std::string(".");
    }

    bool partsAtBoundary = (restOfPath.empty() && rules.IsSeparator(At(base, p))) ||
                           (rules.IsSeparator(At(path, p)) && restOfBase.empty());
    if (!partsAtBoundary) {
        p = lastSeparator;
    }

    std::string result;
    for (size_t i = (p == kNone ? 0 : p); i < base.size(); i += host::CharacterBytes(base, i)) {
        if (rules.IsSeparator(base[i]) && i + 1 < base.size()) {
            result += "..";
            result.push_back(rules.joinSeparator);
        }
    }
    if (p == kNone) {
        result.append(path);
    } else if (p + 1 < path.size()) {
        result.append(path.substr(p + 1));
    } else if (!result.empty()) {
        result.pop_back();
    }
    return result;
}

int MakeRelativePath(const char *path, const char *base, char *out, int size, const host::PathRules &rules)
{
    if (path == nullptr || base == nullptr) {
        return 0;
    }
    auto result = ResolveRelativePath(path, base, size, rules);
    // A result that does not fit still leaves a terminated buffer.
    return PutPathResult(result.value_or(std::string()), out, size) == 1 && result ? 1 : 0;
}

}  // namespace vorl
