// How the editor runs a conversion: converters side by side and a cache of
// their results. These are the user's, not the project's: they live in the
// user's settings file, in a section that only the editor writes.
#pragma once

#include <string>
#include <string_view>

namespace vorlmake {

struct RunSettings {
    // Converters run at once; 0 runs one per core. One is the default:
    // a converter command written for one-at-a-time runs may use a fixed
    // scratch file of its own.
    int jobs = 1;
    std::string cacheFolder;  // UTF-8; empty: no cache
};

constexpr int kMostJobs = 256;

RunSettings ReadRunSettings(std::string_view settingsContent);
// The settings file's content with these settings in their section; every
// other line stays as it was.
std::string WriteRunSettings(std::string_view settingsContent, const RunSettings &settings);

}  // namespace vorlmake
