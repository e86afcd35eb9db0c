// How large a list file ("-f") may be. A list of 9,999 entries of the
// longest names is under 3 MB; anything far beyond is no list (a device, a
// file given by mistake) and is not read on, so that reading one never
// grows without end.
#pragma once

#include <cstddef>

namespace vorl::common {

constexpr size_t kLargestListFile = size_t{16} << 20;

}  // namespace vorl::common
