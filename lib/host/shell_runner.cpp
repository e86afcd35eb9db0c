#include "shell_runner.h"

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
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

// A converter's process group would outlive a run that is killed outright
// (kill -9): nothing of the run is left to end it. A guardian process
// joins the group and waits on a socket that only the run holds open.
// When the run goes, however it goes, the kernel closes the run's end and
// the guardian ends the group. When the converter ends by itself the run
// sends one byte and the guardian leaves quietly. Being a member, the
// guardian also keeps the group's number from passing to another group.
class GroupGuardian {
public:
    explicit GroupGuardian(pid_t group)
    {
        int ends[2];
        if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) {
            return;
        }
        pid_t guardian = ::fork();
        if (guardian == 0) {
            Watch(group, ends[1]);  // never returns
        }
        ::close(ends[1]);
        if (guardian < 0) {
            ::close(ends[0]);
            return;
        }
        guardian_ = guardian;
        runEnd_ = ends[0];
    }
    ~GroupGuardian()
    {
        if (guardian_ <= 0) {
            return;
        }
        char done = 1;
        // The guardian may be gone already (a stop ends the whole group).
        (void)!::send(runEnd_, &done, 1, MSG_NOSIGNAL);
        ::close(runEnd_);
        while (::waitpid(guardian_, nullptr, 0) < 0 && errno == EINTR) {
        }
    }
    GroupGuardian(const GroupGuardian &) = delete;
    GroupGuardian &operator=(const GroupGuardian &) = delete;

private:
    // In the child of a fork in a process with threads: only calls that
    // are safe there.
    [[noreturn]] static void Watch(pid_t group, int watchEnd)
    {
        if (::dup2(watchEnd, 0) < 0) {
            ::_exit(0);
        }
        // Every other descriptor goes, above all the run's ends of other
        // guardians' sockets, which would keep those from ever closing.
        if (::syscall(SYS_close_range, 3U, ~0U, 0U) != 0) {
            for (int fd = 3; fd < 4096; ++fd) {
                ::close(fd);
            }
        }
        if (::setpgid(0, group) != 0) {
            ::_exit(0);  // the converter has ended already
        }
        char done = 0;
        ssize_t got;
        while ((got = ::read(0, &done, 1)) < 0 && errno == EINTR) {
        }
        if (got <= 0) {
            ::kill(-group, SIGKILL);
        }
        ::_exit(0);
    }

    pid_t guardian_ = -1;
    int runEnd_ = -1;
};

// Waits for `child`, the leader of its own process group, and ends the
// group when `stopNow` says so.
int WaitOrStop(pid_t child, const std::function<bool()> &stopNow)
{
    GroupGuardian guardian(child);
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
