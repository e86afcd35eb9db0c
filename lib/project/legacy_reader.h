// The legacy text project, versions 3.02 to 4.00: one value per line.
// The command-line conversion still writes entry records in this form.
#pragma once

#include "vorl_cnv.h"

namespace vorl {

// Opens `prjfile`, reads its header into the block and leaves the stream,
// positioned at the first entry record, in `prjstream`. 0, or -1, -2, -3,
// -4 (not a legacy project), -5 (no entries) or -10 with the stream closed.
int ReadLegacyHeader(VorlInformation &info);

// Reads `indexnum` entry records from `prjstream` into the table (made
// when `entries` is null) and closes the stream. 0, -6 or -7.
int ReadLegacyEntries(VorlInformation &info);

}  // namespace vorl
