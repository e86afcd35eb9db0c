#include "directory_listing.h"

#include <cerrno>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "native_path.h"
#include "wildcard.h"

namespace vorl::host {

std::optional<std::vector<DirectoryEntry>> ListDirectory(std::string_view folder, std::string_view pattern, int *error)
{
    auto native = ToNativePath(folder.empty() ? std::string_view(".") : folder);
    if (!native) {
        if (error != nullptr) {
            *error = ENOENT;
        }
        return std::nullopt;
    }
    DIR *dir = ::opendir(native->c_str());
    if (dir == nullptr) {
        if (error != nullptr) {
            *error = errno;
        }
        return std::nullopt;
    }
    std::vector<DirectoryEntry> entries;
    while (const dirent *entry = ::readdir(dir)) {
        std::string_view nativeName = entry->d_name;
        if (nativeName == "." || nativeName == "..") {
            continue;
        }
        auto name = FromNativeName(nativeName);
        if (!name || !MatchWildcard(pattern, *name)) {
            continue;
        }
        struct stat st {};
        if (::fstatat(::dirfd(dir), entry->d_name, &st, 0) != 0) {
            continue;
        }
        bool isDirectory = S_ISDIR(st.st_mode);
        entries.push_back({std::move(*name), isDirectory, isDirectory ? 0 : static_cast<int64_t>(st.st_size),
                           static_cast<int64_t>(st.st_mtime)});
    }
    ::closedir(dir);
    std::sort(entries.begin(), entries.end(),
              [](const DirectoryEntry &a, const DirectoryEntry &b) { return a.name < b.name; });
    return entries;
}

}  // namespace vorl::host
