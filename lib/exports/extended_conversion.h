// The extension export: a block or a command line converted with the
// caller's options record.
#pragma once

#include "conversion_context.h"
#include "vorl_cnv.h"

namespace vorl {

// A block whose `workdir` is empty is staged in a working directory made
// for this call under `workbase` (or the environment's folders), removed on
// every way out; the field is empty again afterwards. A conversion never
// stages its files beside the user's own, where a file of the same name
// would be taken and removed.
int ConvertOwnBlock(VorlInformation &info, const char *workbase,
                    const ConversionContext &reporter = ConversionContext());

int ConvertWithOptions(VorlInformation *info, const char *commandLine, VorlConvertOptions *options);

}  // namespace vorl
