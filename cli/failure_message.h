// The one line vorlcnv prints for a failed conversion:
//   vorlcnv: [LIST:LINE: ]FILE: <the library's message> (error N[: why])
#pragma once

#include <string>
#include <vector>

#include "entry_lists.h"
#include "vorl_cnv.h"

namespace vorlcnv {

// `report` may be null (nothing known beyond the code); `lists` maps the
// lists the library read back to the user's lists and arguments.
std::string DescribeFailure(int code, const VorlFailureReport *report, const std::vector<ListSource> &lists);

}  // namespace vorlcnv
