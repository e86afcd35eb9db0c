// Converting a project described entirely by one command-line string.
#pragma once

#include "conversion_context.h"

namespace vorl {

// The working directory is made under `workbase`, or under VORLTEMP, TMP,
// TEMP, TMPDIR or "." when it is null.
int ConvertCommandLine(const char *commandLine, const ConversionContext &reporter = ConversionContext(),
                       const char *workbase = nullptr);

}  // namespace vorl
