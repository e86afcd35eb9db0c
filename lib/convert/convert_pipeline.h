// One conversion of a filled block: check it, pack the body, write the
// index in the chosen form, and put the results in place.
#pragma once

#include "vorl_cnv.h"

namespace vorl {

int ConvertBlock(VorlInformation &info);

}  // namespace vorl
