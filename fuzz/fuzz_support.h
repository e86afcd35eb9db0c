// Shared pieces of the fuzz harnesses: a private folder that every file a
// harness touches stays inside, made once per process.
#pragma once

#include <stdlib.h>
#include <unistd.h>

#include <string>

namespace vorl::fuzz {

inline const std::string &PrivateFolder()
{
    static const std::string folder = [] {
        char pattern[] = "/tmp/vorlfuzz-XXXXXX";
        std::string made = mkdtemp(pattern);
        // The library's working directories go there too.
        setenv("VORLTEMP", made.c_str(), 1);
        if (chdir(made.c_str()) != 0) {
            abort();
        }
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

inline void WriteFile(const std::string &name, const uint8_t *data, size_t size)
{
    FILE *file = fopen(name.c_str(), "wb");
    if (file != nullptr) {
        fwrite(data, 1, size, file);
        fclose(file);
    }
}

}  // namespace vorl::fuzz
