// How a path is spelled: the separators, what makes a path rooted, the
// separator written when joining, drive letters, and case folding.
// The path algorithms take these as a value so the same code serves the
// Windows form that projects were written in and the host's own form.
#pragma once

namespace vorl::host {

struct PathRules {
    bool slashSeparates;    // '/' separates as well as '\'
    char joinSeparator;     // the separator a path algorithm writes itself
    bool hasDrives;         // "X:" at the start makes a path absolute
    bool foldsCase;         // the path exports compare ASCII letters caselessly

    constexpr bool IsSeparator(char c) const { return c == '\\' || (slashSeparates && c == '/'); }
};

constexpr PathRules kWindowsRules{false, '\\', true, true};
constexpr PathRules kPosixRules{true, '/', false, false};

// The rules of the host the library runs on.
constexpr const PathRules &HostRules() { return kPosixRules; }

}  // namespace vorl::host
