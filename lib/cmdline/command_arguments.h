// The arguments of a command-line conversion: options set the block, every
// other argument becomes one legacy entry record of the temporary project
// "vorlproj.tmp", which is then read back like a legacy project.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "conversion_context.h"
#include "vorl_cnv.h"

namespace vorl {

// Where a row of the table was written: an argument, or a line of a list.
struct EntryOrigin {
    std::string entry;     // the entry's name as written
    std::string listFile;  // empty for an argument
    int32_t line = 0;      // the line in the list, from 1
};

// The records written so far and the settings that arrive only at the end.
struct CommandLineState {
    std::string records;                      // the temporary project's text
    std::string labelText = "int VorlIndex";  // "-l": type and label
    bool aliasTable = false;                  // "-e"
    std::vector<EntryOrigin> origins;         // one per row written
    EntryOrigin next;                         // the origin of the entry being read
    ConversionContext reporter;
};

// Applies the defaults and `arguments` in order, writes the temporary
// project and leaves it open in `prjstream` at its start; `origins`, when
// given, gets one element per row. 0 or -5, -8, -9, -10, -14; a failure
// while the entries are read is noted in `reporter`.
int ParseCommandArguments(VorlInformation &info, const std::vector<std::string> &arguments,
                          std::vector<EntryOrigin> *origins = nullptr,
                          const ConversionContext &reporter = ConversionContext());

// Appends the record of one entry argument and counts it. 0, -9 or -14.
int WriteEntryRecord(VorlInformation &info, CommandLineState &state, std::string_view argument);

}  // namespace vorl
