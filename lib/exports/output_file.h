// A file that a front end writes beside a conversion (a dependency file,
// an item taken out of a pack), put in place by the same rules as the
// conversion's own outputs.
#pragma once

#include <cstdint>

#include "vorl_cnv.h"

namespace vorl {

int WriteOutputFile(const char *path, const void *bytes, const char *source, uint64_t offset, uint64_t size,
                    const char *const *inputs, VorlFailureReport *failure);

}  // namespace vorl
