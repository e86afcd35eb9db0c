#include "cache_statistics.h"

#include <cstdio>

#include "converter_cache.h"
#include "terminal_text.h"

namespace vorlcnv {

int RunCacheStatisticsCommand(const std::vector<std::string> &arguments)
{
    constexpr int kUsageError = 64;
    constexpr int kNoInput = 66;
    if (arguments.size() != 2 || arguments[1].empty()) {
        std::fprintf(stderr,
                     "vorlcnv: --cache-stats needs one folder: --cache-stats DIR\n"
                     "Try 'vorlcnv --help'.\n");
        return kUsageError;
    }
    const std::string &folder = arguments[1];
    auto libraryName = ToLibraryText(folder);
    auto statistics = libraryName ? vorl::ReadCacheStatistics(*libraryName) : std::nullopt;
    if (!statistics) {
        std::fprintf(stderr, "vorlcnv: %s: no cache folder there\n", folder.c_str());
        return kNoInput;
    }
    uint64_t uses = statistics->hits + statistics->misses;
    std::printf(
        "cache:   %s\n"
        "entries: %llu\n"
        "size:    %llu bytes (%.1f MiB)\n"
        "hits:    %llu\n"
        "misses:  %llu\n"
        "hit rate: %s\n",
        folder.c_str(), static_cast<unsigned long long>(statistics->entries),
        static_cast<unsigned long long>(statistics->bytes), static_cast<double>(statistics->bytes) / (1 << 20),
        static_cast<unsigned long long>(statistics->hits), static_cast<unsigned long long>(statistics->misses),
        uses == 0 ? "-" : (std::to_string(statistics->hits * 100 / uses) + "%").c_str());
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::perror("vorlcnv: write error on standard output");
        return 74;
    }
    return 0;
}

}  // namespace vorlcnv
