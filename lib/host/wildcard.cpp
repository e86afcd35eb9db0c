#include "wildcard.h"

#include "code_page.h"

namespace vorl::host {
namespace {

size_t CharacterLength(std::string_view text, size_t at)
{
    bool twoBytes = IsSjisLeadByte(static_cast<unsigned char>(text[at])) && at + 1 < text.size();
    return twoBytes ? 2 : 1;
}

}  // namespace

bool MatchWildcard(std::string_view pattern, std::string_view name)
{
    // Greedy matching with one back-track point: the last '*' seen.
    size_t p = 0;
    size_t n = 0;
    size_t starPattern = std::string_view::npos;
    size_t starName = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starPattern = ++p;
            starName = n;
            continue;
        }
        if (p < pattern.size()) {
            size_t nameLength = CharacterLength(name, n);
            if (pattern[p] == '?') {
                p += 1;
                n += nameLength;
                continue;
            }
            size_t patternLength = CharacterLength(pattern, p);
            if (patternLength == nameLength && pattern.substr(p, patternLength) == name.substr(n, nameLength)) {
                p += patternLength;
                n += nameLength;
                continue;
            }
        }
        if (starPattern == std::string_view::npos) {
            return false;
        }
        p = starPattern;
        starName += CharacterLength(name, starName);
        n = starName;
    }
    while (p < pattern.size() && pattern[p] == '*') {
        ++p;
    }
    return p == pattern.size();
}

}  // namespace vorl::host
