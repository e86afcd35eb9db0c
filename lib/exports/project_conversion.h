// Reading a project file and converting it in one call, with a working
// directory of its own that is gone again when the call returns.
#pragma once

#include "conversion_context.h"
#include "vorl_cnv.h"

namespace vorl {

// Reads `project` into `info` and converts it to the block's `datafile`
// and `headerfile`, which the caller filled in (a project holds neither).
// The entries' folder is the caller's `prjdir`, or when that is empty the
// project file's own folder, made absolute.
int ConvertProject(const char *project, VorlInformation &info, const char *workbase, const ConversionContext &reporter);

int ConvertProjectFile(const char *project, const char *datafile, const char *headerfile, const char *workbase);

}  // namespace vorl
