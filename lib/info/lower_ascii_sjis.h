#pragma once

#include <string>

namespace vorl {

// Lower-cases the ASCII capitals of a CP932 text in place, leaving both
// bytes of every two-byte character alone (a trail byte may look like a
// capital).
void LowerAsciiSjis(std::string &text);

}  // namespace vorl
