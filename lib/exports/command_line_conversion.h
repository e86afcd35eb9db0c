// Converting a project described entirely by one command-line string.
#pragma once

#include "failure_report.h"

namespace vorl {

// The working directory is made under `workbase`, or under VORLTEMP, TMP,
// TEMP, TMPDIR or "." when it is null.
int ConvertCommandLine(const char *commandLine, const FailureReporter &reporter = FailureReporter(),
                       const char *workbase = nullptr);

}  // namespace vorl
