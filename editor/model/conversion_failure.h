// The lines the editor adds under the library's message when a conversion
// fails: which entry, which file, and why, as far as the library knows.
#pragma once

#include <string>

#include "vorl_cnv.h"

namespace vorlmake {

// Empty when the report names nothing (no entry and no file).
std::string DescribeFailureReport(const VorlFailureReport &report);

}  // namespace vorlmake
