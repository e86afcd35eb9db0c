// The working directory of a conversion: a fresh private folder named
// "vorl" and four hexadecimal digits, removed with everything in it when
// the block is released.
#pragma once

#include <string_view>

#include "conversion_context.h"
#include "vorl_cnv.h"

namespace vorl {

// Makes the folder under `base` (or, when it is null, under the base of
// common/temporary_base.h), stores its path with a trailing separator in
// `workdir`; 0 or -18, noted in `reporter` with the base folder and why.
int SetupWorkDirectory(VorlInformation &info, const char *base,
                       const ConversionContext &reporter = ConversionContext());

// True when the last component of `workdir` has the form this library
// gives its working directories; only such a folder is ever emptied.
bool IsWorkDirectoryName(std::string_view workdir);

// Frees what the block owns and removes its working directory.
void ReleaseBlock(VorlInformation &info);

// Empties and removes `workdir` when it has the form of a folder this
// library made; anything else is left alone.
void RemoveMadeWorkDirectory(std::string_view workdir);

// Releases a conversion's own block on every way out, an exception too,
// so no working directory is ever left behind.
class ReleaseOnExit {
public:
    explicit ReleaseOnExit(VorlInformation &info) : info_(info) {}
    ~ReleaseOnExit() { ReleaseBlock(info_); }
    ReleaseOnExit(const ReleaseOnExit &) = delete;
    ReleaseOnExit &operator=(const ReleaseOnExit &) = delete;

private:
    VorlInformation &info_;
};

}  // namespace vorl
