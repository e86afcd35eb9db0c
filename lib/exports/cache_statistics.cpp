#include "cache_statistics.h"

#include <cstddef>
#include <optional>
#include <string>

#include "converter_cache.h"

namespace vorl {

int GetCacheStatistics(const char *folder, VorlCacheStatistics *statistics)
{
    // The caller's record must reach at least to the last count; a record
    // that a later header makes longer keeps its added fields untouched.
    if (folder == nullptr || *folder == '\0' || statistics == nullptr ||
        statistics->size < offsetof(VorlCacheStatistics, misses) + sizeof statistics->misses) {
        return VORL_ERR_BAD_ACCESS;
    }
    std::optional<CacheStatistics> read = ReadCacheStatistics(folder);
    if (!read) {
        return VORL_ERR_FILE_NOT_FOUND;
    }
    statistics->unused = 0;
    statistics->entries = read->entries;
    statistics->bytes = read->bytes;
    statistics->hits = read->hits;
    statistics->misses = read->misses;
    return VORL_OK;
}

}  // namespace vorl
