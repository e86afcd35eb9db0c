// Loading a project file of either format into a block.
#pragma once

#include "vorl_cnv.h"

namespace vorl {

// The legacy reader first; a file that is not a legacy project goes to the
// XML reader.
int ReadProjectFile(VorlInformation &info);

}  // namespace vorl
