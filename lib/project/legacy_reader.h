// The legacy text project, versions 3.02 to 4.00: one value per line.
// The command-line conversion still writes entry records in this form.
#pragma once

#include "vorl_cnv.h"

namespace vorl {

// Opens `prjfile`, reads its header into the block and leaves the stream,
// positioned at the first entry record, in `prjstream`. 0, or -1 (also for
// a file longer than any project), -2, -3, -4 (not a legacy project), -5
// (no entries) or -10 with the stream closed.
int ReadLegacyHeader(VorlInformation &info);

// Reads `indexnum` entry records from `prjstream` into the table (made
// when `entries` is null) and closes the stream. 0, -1 (the read failed or
// ran past the longest project), -6, -7 or -9 (a name too long for its
// field).
int ReadLegacyEntries(VorlInformation &info);

}  // namespace vorl
