// What a converter result cache folder holds, for a front end that shows
// it (`vorlcnv --cache-stats`) without a copy of the cache's own code.
#pragma once

#include "vorl_cnv.h"

namespace vorl {

int GetCacheStatistics(const char *folder, VorlCacheStatistics *statistics);

}  // namespace vorl
