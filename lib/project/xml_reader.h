// The XML project reader: the document is fed to Expat in blocks of 2048
// bytes and the block is filled from the element callbacks.
#pragma once

#include "vorl_cnv.h"

namespace vorl {

// Reads `prjfile` into the block. Settings the document leaves out keep
// what the block held. 0 or -1 (also for a file longer than any project),
// -2, -3, -4, -5, -7, -10 (before any row is stored), -21, -22.
int ReadXmlProject(VorlInformation &info);

}  // namespace vorl
