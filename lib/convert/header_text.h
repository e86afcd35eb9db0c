// The C header text: the index (and alias) table declared as arrays, for a
// consuming program that compiles its index in.
#pragma once

#include <string>

#include "index_values.h"

namespace vorl {

std::string BuildHeaderText(const VorlInformation &info, const IndexValues &values);

}  // namespace vorl
