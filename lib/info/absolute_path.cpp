#include "absolute_path.h"

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

// The last component of `base` up to `end`.
std::string_view LastComponent(std::string_view base, size_t end, const host::PathRules &rules)
{
    size_t separator = rules.LastSeparator(base.substr(0, end));
    return separator == std::string_view::npos ? base.substr(0, end) : base.substr(separator + 1, end - separator - 1);
}

// Where a ".." leaves the base. Only a named folder is taken off: taking
// off a ".." or "." of the base would step down where the base steps up
// (a project read as "/home/u/x/../p.vorlprj" lies in /home/u, not in
// /home/u/x), and a relative base that is used up has no root to stop at.
// Either way the ".." is written out instead and counted in `climbs`. A
// rooted base that is used up stays at its root.
void Climb(std::string_view base, size_t &end, int &climbs, bool rooted, const host::PathRules &rules)
{
    if (climbs > 0 || (end == 0 && !rooted)) {
        ++climbs;
        return;
    }
    if (end == 0) {
        return;
    }
    std::string_view last = LastComponent(base, end, rules);
    if (last == "." || last == "..") {
        ++climbs;
        return;
    }
    end = ParentEnd(base, end, rules);
}

}  // namespace

std::string MakeAbsolutePath(std::string_view relative, std::string_view base, const host::PathRules &rules)
{
    if (IsAbsolute(relative, rules)) {
        return std::string(relative);
    }
    const bool rooted = IsAbsolute(base, rules);
    bool baseHasTrailing = rules.EndsInSeparator(base);
    size_t end = baseHasTrailing ? base.size() - 1 : base.size();

    if (relative == "." || (relative.size() == 2 && relative[0] == '.' && rules.IsSeparator(relative[1]))) {
        if (end == 0 && !rooted) {
            return std::string(relative);  // the empty base is the current folder itself
        }
        std::string result(base.substr(0, end));
        if (relative.size() == 2) {
            result.push_back(rules.joinSeparator);
        }
        return result;
    }

    bool lastEndedInSeparator = false;
    int climbs = 0;
    while (!relative.empty() && relative[0] == '.') {
        bool dotDot = relative.size() >= 2 && relative[1] == '.';
        if (dotDot && relative.size() >= 3 && rules.IsSeparator(relative[2])) {
            Climb(base, end, climbs, rooted, rules);
            relative.remove_prefix(3);
            lastEndedInSeparator = true;
        } else if (!dotDot && relative.size() >= 2 && rules.IsSeparator(relative[1])) {
            relative.remove_prefix(2);
            lastEndedInSeparator = true;
        } else if (dotDot && relative.size() == 2) {
            Climb(base, end, climbs, rooted, rules);
            relative.remove_prefix(2);
            lastEndedInSeparator = false;
        } else {
            break;
        }
    }

    std::string result(base.substr(0, end));
    if (end == 0 && !rooted) {
        // Nothing of a relative base is left: the result is relative too,
        // starting with the ".." that climb above it.
        for (int i = 0; i < climbs; ++i) {
            if (!result.empty()) {
                result.push_back(rules.joinSeparator);
            }
            result.append("..");
        }
        if (result.empty()) {
            if (!relative.empty()) {
                return std::string(relative);
            }
            result.push_back('.');
        }
        if (!relative.empty() || lastEndedInSeparator) {
            result.push_back(rules.joinSeparator);
        }
        result.append(relative);
        return result;
    }
    for (int i = 0; i < climbs; ++i) {
        result.push_back(rules.joinSeparator);
        result.append("..");
    }
    if (!relative.empty() || lastEndedInSeparator || end == 0) {
        result.push_back(rules.joinSeparator);
    }
    result.append(relative);
    return result;
}

}  // namespace vorl
