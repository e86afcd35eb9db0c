// The one line vorlcnv prints for a failed conversion:
//   vorlcnv: [LIST:LINE: ]FILE: <the library's message> (error N[: why])
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "entry_lists.h"
#include "vorl_cnv.h"

namespace vorlcnv {

// The files of a run as the user named them (UTF-8), so that an output
// refused for being another file of the run can say which one.
struct RunFileNames {
    std::string data;
    std::string header;   // empty when no header is written
    std::string depfile;  // empty when none is written
    std::string project;  // the project as the library read it, or empty
};

// `report` may be null (nothing known beyond the code); `lists` maps the
// lists the library read back to the user's lists and arguments; `names`
// may be null. `neededBytes` is the options' `neededbytes`: the width that
// would hold a value that did not fit (causes 12 and 13), 0 when none would
// or none is known. `rowCount` is the rows of the table as the progress
// reported them, -1 when unknown: a row past them is the end entry that
// running offsets add.
std::string DescribeFailure(int code, const VorlFailureReport *report, const std::vector<ListSource> &lists,
                            const RunFileNames *names = nullptr, int32_t neededBytes = 0, int32_t rowCount = -1);

}  // namespace vorlcnv
