// Shared pieces of the fuzz harnesses: a private folder that every file a
// harness touches stays inside, made once per process.
#pragma once

#include <dirent.h>
#include <ftw.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <string>
#include <string_view>

namespace vorl::fuzz {

// The folder's name outlives every static object: removal runs at exit.
inline char madeFolder[64];

inline void RemoveMadeFolder()
{
    nftw(
        madeFolder, [](const char *path, const struct stat *, int, FTW *) { return remove(path); }, 16,
        FTW_DEPTH | FTW_PHYS);
}

inline const std::string &PrivateFolder()
{
    static const std::string folder = [] {
        // A memory file system when there is one: every input makes and
        // removes files, and a stalling disk would read as a hang.
        std::string pattern = access("/dev/shm", W_OK) == 0 ? "/dev/shm/vorlfuzz-XXXXXX" : "/tmp/vorlfuzz-XXXXXX";
        std::string made = mkdtemp(pattern.data());
        // The library's working directories go there too.
        setenv("VORLTEMP", made.c_str(), 1);
        if (chdir(made.c_str()) != 0) {
            abort();
        }
        // A run that ends normally leaves nothing; a crash keeps the
        // folder for a look.
        std::strncpy(madeFolder, made.c_str(), sizeof madeFolder - 1);
        atexit(RemoveMadeFolder);
        return made;
    }();
    return folder;
}

// Inputs that could name a file outside the private folder are skipped:
// no separator of either kind may appear.
inline bool StaysInside(const uint8_t *data, size_t size)
{
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == '/' || data[i] == '\\') {
            return false;
        }
    }
    return true;
}

// Removes every entry of `folder` except those named in `keep`, so that
// each input starts from the same files (outputs packed into later outputs
// would otherwise grow without bound). The harnesses only ever make files
// there: a folder can only be a working directory the library forgot, and
// that is a finding.
inline void RemoveAllBut(const std::string &folder, std::initializer_list<std::string_view> keep = {})
{
    DIR *dir = opendir(folder.c_str());
    if (dir == nullptr) {
        abort();
    }
    while (const dirent *entry = readdir(dir)) {
        std::string_view name = entry->d_name;
        if (name == "." || name == ".." || std::find(keep.begin(), keep.end(), name) != keep.end()) {
            continue;
        }
        std::string path = folder + "/" + entry->d_name;
        struct stat info {};
        if (lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
            fprintf(stderr, "folder left behind: %s\n", path.c_str());
            abort();
        }
        remove(path.c_str());
    }
    closedir(dir);
}

inline void WriteFile(const std::string &name, const uint8_t *data, size_t size)
{
    FILE *file = fopen(name.c_str(), "wb");
    if (file != nullptr) {
        fwrite(data, 1, size, file);
        fclose(file);
    }
}

}  // namespace vorl::fuzz
