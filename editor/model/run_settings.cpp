#include "run_settings.h"

#include <algorithm>

#include "number_text.h"
#include "profile_file.h"

namespace vorlmake {
namespace {

constexpr std::string_view kSection = "Conversion";
constexpr std::string_view kJobsKey = "Jobs";
constexpr std::string_view kCacheKey = "CacheFolder";

}  // namespace

RunSettings ReadRunSettings(std::string_view settingsContent)
{
    RunSettings settings;
    std::string jobs = ReadProfileString(settingsContent, kSection, kJobsKey, "1");
    bool number = !jobs.empty() && jobs.size() <= 4 &&
                  std::all_of(jobs.begin(), jobs.end(), [](char c) { return c >= '0' && c <= '9'; });
    settings.jobs = number ? std::min(static_cast<int>(vorl::common::ReadNumberText(jobs).value), kMostJobs) : 1;
    settings.cacheFolder = ReadProfileString(settingsContent, kSection, kCacheKey, "");
    return settings;
}

std::string WriteRunSettings(std::string_view settingsContent, const RunSettings &settings)
{
    std::string content = WriteProfileString(settingsContent, kSection, kJobsKey, std::to_string(settings.jobs));
    return WriteProfileString(content, kSection, kCacheKey, settings.cacheFolder);
}

}  // namespace vorlmake
