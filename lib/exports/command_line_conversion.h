// Converting a project described entirely by one command-line string.
#pragma once

namespace vorl {

int ConvertCommandLine(const char *commandLine);

}  // namespace vorl
