// The arguments of a command-line conversion: options set the block, every
// other argument becomes one legacy entry record of the temporary project
// "vorlproj.tmp", which is then read back like a legacy project.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "vorl_cnv.h"

namespace vorl {

// The records written so far and the settings that arrive only at the end.
struct CommandLineState {
    std::string records;                        // the temporary project's text
    std::string labelText = "int VorlIndex";    // "-l": type and label
    bool aliasTable = false;                    // "-e"
};

// Applies the defaults and `arguments` in order, writes the temporary
// project and leaves it open in `prjstream` at its start. 0 or -5, -8, -9,
// -10, -14.
int ParseCommandArguments(VorlInformation &info, const std::vector<std::string> &arguments);

// Appends the record of one entry argument and counts it. 0, -9 or -14.
int WriteEntryRecord(VorlInformation &info, CommandLineState &state, std::string_view argument);

}  // namespace vorl
