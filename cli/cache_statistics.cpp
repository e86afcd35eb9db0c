#include "cache_statistics.h"

#include <cstdio>
#include <cstring>

#include "exit_status.h"
#include "message_format.h"
#include "terminal_text.h"
#include "vorl_cnv.h"

namespace vorlcnv {

int RunCacheStatisticsCommand(const std::vector<std::string> &arguments)
{
    if (arguments.size() != 2 || arguments[1].empty()) {
        return UsageError("--cache-stats needs one folder: --cache-stats DIR");
    }
    const std::string &folder = arguments[1];
    auto libraryName = ToLibraryText(folder);
    VorlCacheStatistics statistics;
    std::memset(&statistics, 0, sizeof statistics);
    statistics.size = sizeof statistics;
    if (!libraryName || VorlGetCacheStatistics(libraryName->c_str(), &statistics) != 0) {
        SayOnStandardError("vorlcnv: " + folder + ": no cache folder there\n");
        return kNoInput;
    }
    uint64_t uses = statistics.hits + statistics.misses;
    std::string text = "cache:   " + folder + "\n";
    text += "entries: " + Decimal(statistics.entries) + "\n";
    text += "size:    " + Decimal(statistics.bytes) + " bytes (" +
            Format("%.1f", static_cast<double>(statistics.bytes) / (1 << 20)) + " MiB)\n";
    text += "hits:    " + Decimal(statistics.hits) + "\n";
    text += "misses:  " + Decimal(statistics.misses) + "\n";
    text += "hit rate: " + (uses == 0 ? std::string("-") : Decimal(statistics.hits * 100 / uses) + "%") + "\n";
    return PrintOnStandardOutput(text);
}

}  // namespace vorlcnv
