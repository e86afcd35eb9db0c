// How a path is spelled: the separators, what makes a path rooted, the
// separator written when joining, drive letters, and case folding.
// The path algorithms take these as a value so the same code serves the
// Windows form that projects were written in and the host's own form.
//
// Paths are CP932 byte strings, and many everyday characters end in the
// byte 0x5C (ソ, 表, 能, 十, 予 ...). A separator is therefore only ever
// found at the start of a character: every search below walks the path
// forward one character at a time.
#pragma once

#include <cstddef>
#include <string_view>

#include "code_page.h"

namespace vorl::host {

// The bytes of the character starting at `at`: two for a lead byte that
// has its second byte, else one.
constexpr size_t CharacterBytes(std::string_view text, size_t at)
{
    return IsSjisLeadByte(static_cast<unsigned char>(text[at])) && at + 1 < text.size() ? 2 : 1;
}

struct PathRules {
    bool slashSeparates;  // '/' separates as well as '\'
    char joinSeparator;   // the separator a path algorithm writes itself
    bool hasDrives;       // "X:" at the start makes a path absolute
    bool foldsCase;       // the path exports compare ASCII letters caselessly

    // Whether the byte is a separator character. Only meaningful at the
    // start of a character: inside one, 0x5C is the character's own.
    constexpr bool IsSeparator(char c) const { return c == '\\' || (slashSeparates && c == '/'); }

    // The position of the last separator of `path`, npos when it has none.
    constexpr size_t LastSeparator(std::string_view path) const
    {
        size_t last = std::string_view::npos;
        for (size_t at = 0; at < path.size(); at += CharacterBytes(path, at)) {
            if (IsSeparator(path[at])) {
                last = at;
            }
        }
        return last;
    }

    constexpr bool EndsInSeparator(std::string_view path) const
    {
        return !path.empty() && LastSeparator(path) == path.size() - 1;
    }
};

constexpr PathRules kWindowsRules{false, '\\', true, true};
constexpr PathRules kPosixRules{true, '/', false, false};

// The rules of the host the library runs on.
constexpr const PathRules &HostRules()
{
    return kPosixRules;
}

}  // namespace vorl::host
