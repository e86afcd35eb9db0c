// How many converters a front end runs at once. The library's options
// record reads 0 as one at a time, so that a record cleared to zero never
// starts converters side by side; a user who asks for 0 asks for one per
// core, and the front ends turn that into a count before they hand it on.
#pragma once

#include <unistd.h>

namespace vorl::common {

// `requested` as the library is to get it: 0 becomes the number of cores
// online (1 when it cannot be told), any other count stays.
inline int JobsToRun(int requested)
{
    if (requested != 0) {
        return requested;
    }
    long cores = ::sysconf(_SC_NPROCESSORS_ONLN);
    return cores > 0 ? static_cast<int>(cores) : 1;
}

}  // namespace vorl::common
