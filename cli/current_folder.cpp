#include "current_folder.h"

#include <unistd.h>

namespace vorlcnv {

std::string FullPath(const std::string &name)
{
    if (name.empty() || name[0] == '/') {
        return name;
    }
    char here[4096];
    return ::getcwd(here, sizeof here) != nullptr ? std::string(here) + "/" + name : name;
}

std::string FromCurrentFolder(const std::string &fullName)
{
    char here[4096];
    if (::getcwd(here, sizeof here) != nullptr) {
        std::string prefix = std::string(here) == "/" ? std::string("/") : std::string(here) + "/";
        if (fullName.size() > prefix.size() && fullName.compare(0, prefix.size(), prefix) == 0) {
            return fullName.substr(prefix.size());
        }
    }
    return fullName;
}

}  // namespace vorlcnv
