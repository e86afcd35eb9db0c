#include "run_folder.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <vector>

namespace vorlmake {

std::optional<std::string> MakePrivateFolder(const std::string &folder)
{
    std::string path = folder;
    if (!path.empty() && path.back() != '/') {
        path.push_back('/');
    }
    path += "vorlmake-XXXXXX";
    std::vector<char> name(path.begin(), path.end());
    name.push_back('\0');
    if (::mkdtemp(name.data()) == nullptr) {
        return std::nullopt;
    }
    return std::string(name.data()) + "/";
}

bool RemovePrivateFolder(const std::string &folder)
{
    // Opened without following a link: a folder swapped for one is not ours.
    const int descriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (descriptor < 0) {
        return false;
    }
    DIR *listing = ::fdopendir(descriptor);
    if (listing == nullptr) {
        ::close(descriptor);
        return false;
    }
    bool removed = true;
    while (const dirent *item = ::readdir(listing)) {
        if (std::strcmp(item->d_name, ".") == 0 || std::strcmp(item->d_name, "..") == 0) {
            continue;
        }
        removed = ::unlinkat(descriptor, item->d_name, 0) == 0 && removed;
    }
    ::closedir(listing);
    std::string path = folder;
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    return ::rmdir(path.c_str()) == 0 && removed;
}

}  // namespace vorlmake
