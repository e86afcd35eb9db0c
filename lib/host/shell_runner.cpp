#include "shell_runner.h"

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
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

constexpr int kPollMilliseconds = 50;
constexpr int kGraceMilliseconds = 2000;

// Waits for `child`, blocking.
int WaitFor(pid_t child)
{
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) {
            return -1;
        }
    }
    return status;
}

// True once `child` has ended, within `milliseconds`; its status is left
// for waitpid. A process descriptor wakes the wait at once; a kernel
// without them is asked every few milliseconds.
bool EndsWithin(pid_t child, int descriptor, int milliseconds)
{
    if (descriptor >= 0) {
        struct pollfd ended {
            descriptor, POLLIN, 0
        };
        int ready;
        while ((ready = ::poll(&ended, 1, milliseconds)) < 0 && errno == EINTR) {
        }
        return ready != 0;
    }
    for (int waited = 0;; waited += 5) {
        siginfo_t info{};
        if (::waitid(P_PID, static_cast<id_t>(child), &info, WEXITED | WNOHANG | WNOWAIT) != 0 || info.si_pid != 0) {
            return true;
        }
        if (waited >= milliseconds) {
            return false;
        }
        ::usleep(5000);
    }
}

// Waits for `child`, the leader of its own process group, and ends the
// group when `stopNow` says so.
int WaitOrStop(pid_t child, const std::function<bool()> &stopNow)
{
    const int descriptor = static_cast<int>(::syscall(SYS_pidfd_open, child, 0));
    bool stopping = false;
    while (!EndsWithin(child, descriptor, kPollMilliseconds)) {
        if (!stopping && stopNow()) {
            stopping = true;
            ::kill(-child, SIGTERM);
            ::kill(-child, SIGCONT);  // a stopped member must see it too
            if (!EndsWithin(child, descriptor, kGraceMilliseconds)) {
                ::kill(-child, SIGKILL);
            }
        }
    }
    if (descriptor >= 0) {
        ::close(descriptor);
    }
    int status = WaitFor(child);
    if (stopping) {
        // The shell may have gone before what it started: the rest of the
        // group goes too.
        ::kill(-child, SIGKILL);
    }
    return status;
}

}  // namespace

int RunShellCommand(const std::string &command, const std::vector<ShellVariable> &variables,
                    const std::function<bool()> &stopNow)
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
    posix_spawnattr_t attributes;
    ::posix_spawnattr_init(&attributes);
    if (stopNow) {
        ::posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
        ::posix_spawnattr_setpgroup(&attributes, 0);
    }
    pid_t child = 0;
    const int spawned = ::posix_spawn(&child, shell, nullptr, &attributes, argv, environment.data());
    ::posix_spawnattr_destroy(&attributes);
    if (spawned != 0) {
        return -1;
    }
    return stopNow ? WaitOrStop(child, stopNow) : WaitFor(child);
}

int ExitCodeOf(int waitStatus)
{
    return waitStatus >= 0 && WIFEXITED(waitStatus) ? WEXITSTATUS(waitStatus) : -1;
}

}  // namespace vorl::host
