// The working directory of a conversion: a fresh private folder named
// "vorl" and four hexadecimal digits, removed with everything in it when
// the block is released.
#pragma once

#include <string_view>

#include "vorl_cnv.h"

namespace vorl {

// Makes the folder under `base` (or under VORLTEMP, TMP, TEMP, or "."),
// stores its path with a trailing separator in `workdir`; 0 or -18.
int SetupWorkDirectory(VorlInformation &info, const char *base);

// True when the last component of `workdir` has the form this library
// gives its working directories; only such a folder is ever emptied.
bool IsWorkDirectoryName(std::string_view workdir);

// Frees what the block owns and removes its working directory.
void ReleaseBlock(VorlInformation &info);

}  // namespace vorl
