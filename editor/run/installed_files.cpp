#include "installed_files.h"

#include <sys/stat.h>

#include <cstdlib>
#include <vector>

namespace vorlmake {
namespace {

constexpr const char *kSettingsName = "vorlmake/vorlmake.ini";

bool IsFile(const std::string &path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string Environment(const char *name)
{
    const char *value = std::getenv(name);
    return value != nullptr ? value : "";
}

// The configuration folders in the order they are searched: the user's
// own, then the system's.
std::vector<std::string> ConfigurationFolders()
{
    std::vector<std::string> folders;
    std::string home = Environment("XDG_CONFIG_HOME");
    if (home.empty() && !Environment("HOME").empty()) {
        home = Environment("HOME") + "/.config";
    }
    if (!home.empty()) {
        folders.push_back(home);
    }
    std::string system = Environment("XDG_CONFIG_DIRS");
    if (system.empty()) {
        system = "/etc/xdg";
    }
    size_t start = 0;
    while (start <= system.size()) {
        size_t colon = system.find(':', start);
        std::string folder = system.substr(start, colon == std::string::npos ? std::string::npos : colon - start);
        if (!folder.empty()) {
            folders.push_back(folder);
        }
        if (colon == std::string::npos) {
            break;
        }
        start = colon + 1;
    }
    return folders;
}

}  // namespace

ProgramFiles FindProgramFiles(const std::string &programFolder)
{
    ProgramFiles files{programFolder, programFolder + "/vorlmake.ini", programFolder + "/vorlmake.ini"};
    const std::string installed = programFolder + "/" + VORLMAKE_DATA_FROM_PROGRAM;
    if (!IsFile(programFolder + "/help.htm") && IsFile(installed + "/help.htm")) {
        files.dataFolder = installed;
    }
    const std::vector<std::string> folders = ConfigurationFolders();
    // The user's folder comes first when there is one (HOME or
    // XDG_CONFIG_HOME is set).
    const bool hasUserFolder = !Environment("XDG_CONFIG_HOME").empty() || !Environment("HOME").empty();
    if (hasUserFolder && !folders.empty()) {
        files.userSettingsFile = folders.front() + "/" + kSettingsName;
    }
    for (const std::string &folder : folders) {
        if (IsFile(folder + "/" + kSettingsName)) {
            files.settingsFile = folder + "/" + kSettingsName;
            return files;
        }
    }
    return files;
}

}  // namespace vorlmake
