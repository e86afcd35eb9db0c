// One conversion of a filled block: check it, pack the body, write the
// index in the chosen form, and put the results in place.
#pragma once

#include "conversion_context.h"
#include "vorl_cnv.h"

namespace vorl {

// 0 or the code of the first failure, noted in `reporter`.
int ConvertBlock(VorlInformation &info, const ConversionContext &reporter = ConversionContext());

}  // namespace vorl
