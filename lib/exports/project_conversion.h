// Reading a project file and converting it in one call, with a working
// directory of its own that is gone again when the call returns.
#pragma once

namespace vorl {

int ConvertProjectFile(const char *project, const char *datafile, const char *headerfile, const char *workbase);

}  // namespace vorl
