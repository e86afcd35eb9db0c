// The settings of one VorlList run, filled from its command line.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vorllist {

constexpr size_t kMaxText = 259;

struct ListSettings {
    std::string searchFolder;
    std::string pattern;
    std::string outputName = "output.lst";
    bool aliasMode = false;
    int32_t aliasOffset = 0;
    bool subFolders = false;
    int inputCount = 0;
};

// Applies the arguments in order: "-a[offset]", "-s", "-o[name]", other
// options ignored, anything else an input file.
ListSettings ReadArguments(const std::vector<std::string> &arguments);

}  // namespace vorllist
