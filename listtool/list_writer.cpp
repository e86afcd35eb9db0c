#include "list_writer.h"

#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace vorllist {
namespace {

// The staged list while it exists, for a signal that ends the run: the
// handler may only use what is safe in one.
char gStaged[PATH_MAX + 1];
volatile sig_atomic_t gStagedExists = 0;

constexpr int kEndingSignals[] = {SIGHUP, SIGINT, SIGQUIT, SIGTERM, SIGXFSZ, SIGXCPU};
constexpr size_t kSignalCount = sizeof kEndingSignals / sizeof kEndingSignals[0];

extern "C" void RemoveStagedAndEnd(int signal)
{
    if (gStagedExists) {
        unlink(gStaged);
        gStagedExists = 0;
    }
    // SA_RESETHAND has put back the default: the run ends by the signal
    // that came, as it would have without us.
    raise(signal);
}

// While a list is staged, a signal that would end the run removes it
// first. A signal the caller has chosen to ignore stays ignored: then a
// file-size limit fails the write, and the run reports it.
class SignalCleanup {
public:
    SignalCleanup()
    {
        struct sigaction action {};
        action.sa_handler = RemoveStagedAndEnd;
        action.sa_flags = SA_RESETHAND | SA_NODEFER;
        sigemptyset(&action.sa_mask);
        for (size_t i = 0; i < kSignalCount; ++i) {
            sigaction(kEndingSignals[i], nullptr, &previous_[i]);
            if (previous_[i].sa_handler == SIG_DFL) {
                sigaction(kEndingSignals[i], &action, nullptr);
            }
        }
    }
    ~SignalCleanup()
    {
        for (size_t i = 0; i < kSignalCount; ++i) {
            sigaction(kEndingSignals[i], &previous_[i], nullptr);
        }
    }
    SignalCleanup(const SignalCleanup &) = delete;
    SignalCleanup &operator=(const SignalCleanup &) = delete;

private:
    struct sigaction previous_[kSignalCount] {};
};

// Keeps the ending signals away while the staged name changes hands, so
// that the handler never removes a name that is no longer ours.
class SignalsHeld {
public:
    SignalsHeld()
    {
        sigset_t held;
        sigemptyset(&held);
        for (int signal : kEndingSignals) {
            sigaddset(&held, signal);
        }
        sigprocmask(SIG_BLOCK, &held, &previous_);
    }
    ~SignalsHeld() { sigprocmask(SIG_SETMASK, &previous_, nullptr); }
    SignalsHeld(const SignalsHeld &) = delete;
    SignalsHeld &operator=(const SignalsHeld &) = delete;

private:
    sigset_t previous_;
};

bool WriteAll(int fd, const std::string &content)
{
    size_t done = 0;
    while (done < content.size()) {
        ssize_t put = write(fd, content.data() + done, content.size() - done);
        if (put < 0 && errno == EINTR) {
            continue;
        }
        if (put <= 0) {
            return false;
        }
        done += static_cast<size_t>(put);
    }
    return true;
}

// Opening the name again reaches what it reached when it was looked at;
// something else in its place (a regular file above all) is not written.
bool WriteInPlace(const Destination &destination, const std::string &content)
{
    int fd = open(destination.given.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    struct stat st {};
    bool same = fstat(fd, &st) == 0 && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode) &&
                st.st_dev == destination.found.st_dev && st.st_ino == destination.found.st_ino;
    bool ok = same && WriteAll(fd, content);
    return close(fd) == 0 && ok;
}

// A replaced list keeps the previous one's mode, and its owner where the
// process may set it; a new one gets the mode any new file gets.
bool TakeOutputMode(int fd, const Destination &destination)
{
    if (destination.kind == Destination::Kind::Absent) {
        mode_t mask = umask(0);
        umask(mask);
        return fchmod(fd, 0666 & ~mask) == 0;
    }
    const struct stat &previous = destination.found;
    // Owner first: a change of owner clears set-user-ID.
    if (fchown(fd, previous.st_uid, previous.st_gid) != 0 && errno != EPERM) {
        return false;
    }
    return fchmod(fd, previous.st_mode & 07777) == 0;
}

// A new list must not take a name someone made meanwhile; where the file
// system cannot tell, a plain rename does.
bool RenameIntoPlace(const std::string &staged, const Destination &destination)
{
    if (destination.kind == Destination::Kind::Absent) {
        if (renameat2(AT_FDCWD, staged.c_str(), AT_FDCWD, destination.path.c_str(), RENAME_NOREPLACE) == 0) {
            return true;
        }
        if (errno != EINVAL && errno != ENOSYS) {
            return false;
        }
    }
    return rename(staged.c_str(), destination.path.c_str()) == 0;
}

// The staged name begins with the list's own, cut so that the whole stays
// within the longest name a folder entry may have.
std::string StagedName(const std::string &path, int attempt)
{
    constexpr size_t kKeptNameBytes = 200;
    size_t slash = path.rfind('/');
    std::string folder = path.substr(0, slash + 1);
    std::string name = path.substr(slash + 1, kKeptNameBytes);
    std::string staged = folder + name + ".vorltmp" + std::to_string(getpid());
    return attempt == 0 ? staged : staged + "-" + std::to_string(attempt);
}

bool WriteStaged(const Destination &destination, const std::string &content)
{
    SignalCleanup cleanup;
    // Another run, or another user in a shared folder, may hold a name:
    // it is never opened, only passed by.
    constexpr int kAttempts = 100;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        std::string staged = StagedName(destination.path, attempt);
        if (staged.size() >= sizeof gStaged) {
            return false;
        }
        int fd;
        {
            SignalsHeld held;
            std::memcpy(gStaged, staged.c_str(), staged.size() + 1);
            // Only the caller can read it until it is complete and has
            // taken the mode of the list it replaces.
            fd = open(staged.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
            gStagedExists = fd >= 0;
        }
        if (fd < 0) {
            if (errno == EEXIST) {
                continue;
            }
            return false;
        }
        bool ok = WriteAll(fd, content) && (fsync(fd) == 0 || errno == EINVAL) && TakeOutputMode(fd, destination);
        ok = close(fd) == 0 && ok;
        SignalsHeld held;
        ok = ok && RenameIntoPlace(staged, destination);
        if (!ok) {
            unlink(staged.c_str());
        }
        gStagedExists = 0;
        return ok;
    }
    return false;
}

}  // namespace

bool WriteList(const Destination &destination, const std::string &content)
{
    if (destination.kind == Destination::Kind::Stream) {
        return WriteInPlace(destination, content);
    }
    return WriteStaged(destination, content);
}

}  // namespace vorllist
