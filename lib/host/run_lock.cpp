#include "run_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include "file_system.h"
#include "native_path.h"

namespace vorl::host {
namespace {

constexpr const char *kLockName = "vorlrun.lck";

std::string Joined(std::string_view folder, const std::string &name)
{
    std::string path(folder);
    if (!path.empty() && path.back() != '/' && path.back() != '\\') {
        path.push_back('/');
    }
    return path + name;
}

}  // namespace

int TakeRunLock(std::string_view folder)
{
    char temporary[32];
    std::snprintf(temporary, sizeof temporary, "vorlrun.%d", ProcessNumber());
    auto staged = ToNativePath(Joined(folder, temporary));
    auto final = ToNativePath(Joined(folder, kLockName));
    if (!staged || !final) {
        return -1;
    }
    int fd = ::open(staged->c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
        return -1;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::rename(staged->c_str(), final->c_str()) != 0) {
        ::unlink(staged->c_str());
        ::close(fd);
        return -1;
    }
    return fd;
}

void ReleaseRunLock(int descriptor)
{
    if (descriptor >= 0) {
        ::close(descriptor);
    }
}

bool IsAbandoned(std::string_view folder, int &descriptor)
{
    descriptor = -1;
    auto native = ToNativePath(folder);
    auto lock = ToNativePath(Joined(folder, kLockName));
    struct stat st {};
    // Only a folder of this user's own, never one reached through a link:
    // in a shared folder another user may plant either.
    if (!native || !lock || ::lstat(native->c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid()) {
        return false;
    }
    int fd = ::open(lock->c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    descriptor = fd;
    return true;
}

}  // namespace vorl::host
