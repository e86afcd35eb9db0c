// The project file the reader harnesses read: the input, written where
// only this process looks.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>

#include "fuzz_support.h"
#include "vorl_cnv.h"

namespace vorl::fuzz {

// A block for reading `data` as the project file "project.vorlprj" in
// the private folder, its entries resolved against "/base/".
inline VorlInformation ProjectBlockFor(const uint8_t *data, size_t size)
{
    std::string path = PrivateFolder() + "/project.vorlprj";
    WriteFile(path, data, size);
    VorlInformation info;
    std::memset(&info, 0, sizeof info);
    std::memcpy(info.prjfile, path.c_str(), path.size() + 1);
    std::memcpy(info.prjdir, "/base/", 7);
    return info;
}

}  // namespace vorl::fuzz
