#include "current_folder.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <vector>

#include "argument_check.h"
#include "exit_status.h"

namespace vorlcnv {
namespace {

std::optional<std::string> CurrentFolder()
{
    std::vector<char> here(4096);
    while (::getcwd(here.data(), here.size()) == nullptr) {
        if (errno != ERANGE || here.size() > (1U << 20)) {
            return std::nullopt;
        }
        here.resize(here.size() * 2);
    }
    return std::string(here.data());
}

}  // namespace

std::string FullPath(const std::string &name)
{
    if (name.empty() || name[0] == '/') {
        return name;
    }
    auto here = CurrentFolder();
    if (!here) {
        return name;
    }
    if (name == ".") {
        return *here;  // a searched folder: the folder itself, not "dir/."
    }
    return (*here == "/" ? "/" : *here + "/") + name;
}

std::string FromCurrentFolder(const std::string &fullName)
{
    if (auto here = CurrentFolder()) {
        std::string prefix = *here == "/" ? std::string("/") : *here + "/";
        if (fullName.size() > prefix.size() && fullName.compare(0, prefix.size(), prefix) == 0) {
            return fullName.substr(prefix.size());
        }
    }
    return fullName;
}

int EnterFolder(const std::string &folder)
{
    if (folder.empty() || ::chdir(folder.c_str()) == 0) {
        return 0;
    }
    const int error = errno;
    SayOnStandardError("vorlcnv: " + EscapedForMessage(folder) +
                       ": cannot run in this folder (--directory): " + std::strerror(error) + "\n");
    return kNoInput;
}

}  // namespace vorlcnv
