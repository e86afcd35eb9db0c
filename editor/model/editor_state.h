// The editor's in-memory project and its state variables.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "edit_entry.h"
#include "vorl_cnv.h"

namespace vorlmake {

// The block's texts as the editor keeps them (UTF-8); they become CP932
// only at a library call.
struct ProjectTexts {
    std::string label;
    std::array<std::string, 4> type;
    std::array<std::string, 4> convert;

    bool operator==(const ProjectTexts &other) const = default;
};

struct EditorState {
    VorlInformation block{};  // the numeric settings of the open project
    ProjectTexts texts;
    EntryList entries = EntryList(kEntryCount);
    int16_t currentPage = 0;
    bool modified = false;   // changed since it was opened or saved
    bool redrawing = false;  // the program itself rewrites the controls
    int16_t lastRow = 0;     // the row whose file name was last clicked
    std::string dataFile;
    std::string headerFile;
    std::string projectFile;
    std::string inputFolder;  // where the input file dialog opens
    int16_t inputFilterIndex = 1;
    int16_t startCommands = 0;  // InitCommandBits of the command line
    // Program-wide values.
    std::string programFolder;
    std::string currentFolder;
    std::string programVersion;
    std::string libraryVersion;
    int16_t defaultConverter = 0;  // given to newly registered entries
    std::string inputFilter;       // the input file dialog's filters
};

}  // namespace vorlmake
