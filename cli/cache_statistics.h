// vorlcnv --cache-stats DIR: what a converter result cache holds and how
// often it served.
#pragma once

#include <string>
#include <vector>

namespace vorlcnv {

int RunCacheStatisticsCommand(const std::vector<std::string> &arguments);

}  // namespace vorlcnv
