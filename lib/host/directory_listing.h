// Listing a folder: the entries whose names match a wildcard, in byte
// order of their CP932 names, so every result built from it is the same
// on every run.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vorl::host {

struct DirectoryEntry {
    std::string name;  // CP932
    bool isDirectory;
    int64_t size;          // 0 for folders
    int64_t modified = 0;  // seconds since the epoch
};

// Nothing when the folder cannot be read, with the system's reason in
// `error` when it is given (ENOENT for a folder that does not exist). Names
// without a CP932 form are left out: to the library they are files that
// cannot be found.
std::optional<std::vector<DirectoryEntry>> ListDirectory(std::string_view folder, std::string_view pattern,
                                                         int *error = nullptr);

}  // namespace vorl::host
