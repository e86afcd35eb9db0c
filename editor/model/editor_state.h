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
};

struct EditorState {
    VorlInformation ProjectInfo{};  // the numeric settings of the open project
    ProjectTexts Texts;
    EntryList Entries = EntryList(kEntryCount);
    int16_t Page = 0;
    bool NewAccess = false;
    bool NowPrint = false;
    int16_t LastFocus = 0;
    std::string Save_file;
    std::string Header_file;
    std::string Prj_file;
    std::string FileInputDir;
    int16_t FileInputFilter = 1;
    int16_t InitCommand = 0;
    // Program-wide values.
    std::string AppDir;
    std::string CurrentDir;
    std::string AppVersion;
    std::string DllVersion;
    int16_t DefaultConvert = 0;
    std::string LoadDataFilter;
};

}  // namespace vorlmake
