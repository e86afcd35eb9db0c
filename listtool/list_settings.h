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
    // The text of the first "-a" offset outside the signed 32-bit range, or
    // empty: kept to 32 bits, it would give aliases nobody asked for.
    std::string unfitOffset;
    bool subFolders = false;
    int inputCount = 0;
    std::string inputName;  // the last input-file argument as given
};

// Applies the arguments in order: "-a[offset]", "-s", "-o[name]", other
// options ignored, anything else an input file.
ListSettings ReadArguments(const std::vector<std::string> &arguments);

}  // namespace vorllist
