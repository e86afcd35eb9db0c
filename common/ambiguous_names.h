// Six CP932 characters each stand for two Unicode characters: 0x8160 is
// both 〜 (U+301C) and ～ (U+FF5E), and so on. A CP932 name turned back into
// UTF-8 always takes the second form, while a file made on Linux or macOS
// usually carries the first. A name that does not exist as first converted
// is therefore looked for again with either form in every place where one
// of these characters stands.
#pragma once

#include <dirent.h>
#include <sys/stat.h>

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace vorl::common {

struct AmbiguousPair {
    std::string_view first;   // the form CP932 decodes to
    std::string_view second;  // the other form that encodes to the same bytes
};

// As UTF-8 bytes: ～〜, ∥‖, －−, ￠¢, ￡£, ￢¬.
constexpr std::array<AmbiguousPair, 6> kAmbiguousPairs = {{
    {"\xEF\xBD\x9E", "\xE3\x80\x9C"},
    {"\xE2\x88\xA5", "\xE2\x80\x96"},
    {"\xEF\xBC\x8D", "\xE2\x88\x92"},
    {"\xEF\xBF\xA0", "\xC2\xA2"},
    {"\xEF\xBF\xA1", "\xC2\xA3"},
    {"\xEF\xBF\xA2", "\xC2\xAC"},
}};

// The name with every second form replaced by its first form: two names
// that encode to the same CP932 bytes fold to the same text.
inline std::string FoldAmbiguousForms(std::string_view name)
{
    std::string folded;
    folded.reserve(name.size());
    size_t i = 0;
    while (i < name.size()) {
        bool replaced = false;
        for (const AmbiguousPair &pair : kAmbiguousPairs) {
            if (name.substr(i, pair.second.size()) == pair.second) {
                folded += pair.first;
                i += pair.second.size();
                replaced = true;
                break;
            }
        }
        if (!replaced) {
            folded += name[i++];
        }
    }
    return folded;
}

inline bool HoldsAmbiguousForm(std::string_view name)
{
    for (const AmbiguousPair &pair : kAmbiguousPairs) {
        if (name.find(pair.first) != std::string_view::npos || name.find(pair.second) != std::string_view::npos) {
            return true;
        }
    }
    return false;
}

inline bool NameExists(const std::string &path)
{
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

// The entry of `folder` whose name folds to the same text as `name`, in
// byte order of the names so that the choice is always the same.
inline std::optional<std::string> FindEquivalentEntry(const std::string &folder, std::string_view name)
{
    DIR *dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (dir == nullptr) {
        return std::nullopt;
    }
    std::string wanted = FoldAmbiguousForms(name);
    std::optional<std::string> found;
    while (const dirent *entry = ::readdir(dir)) {
        std::string_view candidate = entry->d_name;
        if (FoldAmbiguousForms(candidate) == wanted && (!found || candidate < *found)) {
            found = std::string(candidate);
        }
    }
    ::closedir(dir);
    return found;
}

// The native path that names an existing file when `path` does not exist
// but a name differing only in the forms above does; `path` itself
// otherwise (also for a name still to be made: its existing folders are
// found, its own name stays as given).
inline std::string FindExistingForm(const std::string &path)
{
    if (!HoldsAmbiguousForm(path) || NameExists(path)) {
        return path;
    }
    std::string resolved;
    size_t start = 0;
    while (start <= path.size()) {
        size_t slash = path.find('/', start);
        size_t end = slash == std::string::npos ? path.size() : slash;
        std::string_view part = std::string_view(path).substr(start, end - start);
        std::string candidate = resolved + std::string(part);
        if (!part.empty() && HoldsAmbiguousForm(part) && !NameExists(candidate)) {
            if (auto entry = FindEquivalentEntry(resolved, part)) {
                candidate = resolved + *entry;
            }
        }
        resolved = candidate;
        if (slash == std::string::npos) {
            break;
        }
        resolved += '/';
        start = slash + 1;
    }
    return resolved;
}

}  // namespace vorl::common
