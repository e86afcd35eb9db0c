// No C++ exception may cross the C interface: an export that runs out of
// memory answers with its "no memory" code, and any other failure that
// escapes as an exception with `otherFailure`, never as "no memory".
#pragma once

#include <new>

#include "vorl_cnv.h"

namespace vorl {

template <typename Body>
int GuardExport(int noMemory, Body body, int otherFailure = VORL_ERR_BAD_ACCESS) noexcept
{
    try {
        return body();
    } catch (const std::bad_alloc &) {
        return noMemory;
    } catch (...) {
        return otherFailure;
    }
}

}  // namespace vorl
