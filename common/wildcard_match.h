// Wildcard patterns: '?' matches one character, '*' any run of them, every
// other character stands for itself, case-sensitively, as the host's file
// names are. The library matches CP932 names and VorlList UTF-8 ones, so
// the caller says how its text is cut into characters.
#pragma once

#include <cstddef>
#include <string_view>

namespace vorl::common {

struct WildcardCharacters {
    // The length in bytes of the character that begins at `at`, never past
    // the end of `text`.
    size_t (*length)(std::string_view text, size_t at);
    // CP932 needs this: a second byte may be an ASCII byte, so a pattern
    // compared byte by byte could match half of one character to another,
    // or read the second byte of a character as a '*'. In UTF-8 no byte of
    // one character can be taken for another, and bytes compare alike.
    bool compareWhole;
};

inline bool MatchWildcard(std::string_view pattern, std::string_view name, const WildcardCharacters &characters)
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
            size_t nameLength = characters.length(name, n);
            if (pattern[p] == '?') {
                p += 1;
                n += nameLength;
                continue;
            }
            size_t patternLength = characters.compareWhole ? characters.length(pattern, p) : 1;
            size_t compared = characters.compareWhole ? nameLength : 1;
            if (patternLength == compared && pattern.substr(p, patternLength) == name.substr(n, compared)) {
                p += patternLength;
                n += compared;
                continue;
            }
        }
        if (starPattern == std::string_view::npos) {
            return false;
        }
        p = starPattern;
        starName += characters.length(name, starName);
        n = starName;
    }
    while (p < pattern.size() && pattern[p] == '*') {
        ++p;
    }
    return p == pattern.size();
}

}  // namespace vorl::common
