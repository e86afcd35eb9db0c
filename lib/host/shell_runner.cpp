#include "shell_runner.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "code_page.h"
#include "native_path.h"

extern char **environ;

namespace vorl::host {
namespace {

bool IsReplaced(const char *entry, const std::vector<ShellVariable> &variables)
{
    for (const auto &variable : variables) {
        size_t length = variable.name.size();
        if (std::strncmp(entry, variable.name.c_str(), length) == 0 && entry[length] == '=') {
            return true;
        }
    }
    return false;
}

}  // namespace

int RunShellCommand(const std::string &command, const std::vector<ShellVariable> &variables)
{
    auto nativeCommand = Cp932ToUtf8(command);
    if (!nativeCommand) {
        return -1;
    }
    std::vector<std::string> added;
    for (const auto &variable : variables) {
        auto native = ToNativePath(variable.libraryPath);
        if (!native) {
            return -1;
        }
        added.push_back(variable.name + "=" + *native);
    }
    std::vector<char *> environment;
    for (char **entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
        if (!IsReplaced(*entry, variables)) {
            environment.push_back(*entry);
        }
    }
    for (auto &entry : added) {
        environment.push_back(entry.data());
    }
    environment.push_back(nullptr);

    char shell[] = "/bin/sh";
    char dashC[] = "-c";
    char *argv[] = {shell, dashC, nativeCommand->data(), nullptr};
    pid_t child = 0;
    if (::posix_spawn(&child, shell, nullptr, nullptr, argv, environment.data()) != 0) {
        return -1;
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) {
            return -1;
        }
    }
    return status;
}

int ExitCodeOf(int waitStatus)
{
    return waitStatus >= 0 && WIFEXITED(waitStatus) ? WEXITSTATUS(waitStatus) : -1;
}

}  // namespace vorl::host
