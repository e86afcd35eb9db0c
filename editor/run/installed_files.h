// Where the editor finds its own files. In the build tree they lie beside
// the program; installed, the program is in bin/ and its files under
// share/vorlmake/, and each user keeps settings in their configuration
// folder, since nobody writes beside an installed program.
#pragma once

#include <string>

namespace vorlmake {

struct ProgramFiles {
    std::string dataFolder;    // help page, hints and images
    std::string settingsFile;  // "vorlmake.ini"; it may not exist
    // The user's own "vorlmake.ini", where the editor writes the settings
    // that are the user's (how conversions run); it may not exist yet.
    std::string userSettingsFile;
};

ProgramFiles FindProgramFiles(const std::string &programFolder);

}  // namespace vorlmake
