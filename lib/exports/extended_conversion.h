// The extension export: a block or a command line converted with the
// caller's options record.
#pragma once

#include "vorl_cnv.h"

namespace vorl {

int ConvertWithOptions(VorlInformation *info, const char *commandLine, VorlConvertOptions *options);

}  // namespace vorl
