// No C++ exception may cross the C interface: an export that runs out of
// memory answers with a code instead.
#pragma once

#include <new>

namespace vorl {

template <typename Body>
int GuardExport(int failure, Body body) noexcept
{
    try {
        return body();
    } catch (...) {
        return failure;
    }
}

}  // namespace vorl
