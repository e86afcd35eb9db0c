#include "file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

#include "code_page.h"
#include "host_file.h"
#include "native_path.h"

namespace vorl::host {

MakeDirectoryResult MakePrivateDirectory(std::string_view path)
{
    auto native = ToNativePath(path);
    if (!native) {
        errno = EILSEQ;  // the caller reports errno as the reason
        return MakeDirectoryResult::Failed;
    }
    if (::mkdir(native->c_str(), 0700) == 0) {
        return MakeDirectoryResult::Made;
    }
    return errno == EEXIST ? MakeDirectoryResult::Exists : MakeDirectoryResult::Failed;
}

bool RemoveEmptyDirectory(std::string_view path)
{
    auto native = ToNativePath(path);
    return native && ::rmdir(native->c_str()) == 0;
}

bool MakeFolders(std::string_view path)
{
    auto native = ToNativePath(path);
    if (!native || native->empty()) {
        return false;
    }
    for (size_t slash = native->find('/', 1);; slash = native->find('/', slash + 1)) {
        std::string prefix = native->substr(0, slash);
        if (!prefix.empty() && ::mkdir(prefix.c_str(), 0777) != 0 && errno != EEXIST) {
            return false;
        }
        if (slash == std::string::npos) {
            break;
        }
    }
    struct stat st {};
    return ::stat(native->c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool LinkFile(std::string_view from, std::string_view to)
{
    auto nativeFrom = ToNativePath(from);
    auto nativeTo = ToNativePath(to);
    return nativeFrom && nativeTo && ::link(nativeFrom->c_str(), nativeTo->c_str()) == 0;
}

bool TouchFile(std::string_view path)
{
    auto native = ToNativePath(path);
    return native && ::utimensat(AT_FDCWD, native->c_str(), nullptr, 0) == 0;
}

int64_t ModifiedNanoseconds(std::string_view path)
{
    auto native = ToNativePath(path);
    struct stat st {};
    if (!native || ::stat(native->c_str(), &st) != 0) {
        return 0;
    }
    return static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

int ProcessNumber()
{
    return static_cast<int>(::getpid());
}

bool AppendToFile(std::string_view path, const std::string &text)
{
    auto native = ToNativePath(path);
    if (!native) {
        return false;
    }
    int fd = ::open(native->c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
    if (fd < 0) {
        return false;
    }
    bool written = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    return ::close(fd) == 0 && written;
}

bool RemoveFile(std::string_view path)
{
    auto native = ToNativePath(path);
    return native && ::unlink(native->c_str()) == 0;
}

RenameResult RenameFile(std::string_view from, std::string_view to)
{
    auto nativeFrom = ToNativePath(from);
    auto nativeTo = ToNativePath(to);
    if (!nativeFrom || !nativeTo) {
        return RenameResult::Failed;
    }
    if (::rename(nativeFrom->c_str(), nativeTo->c_str()) == 0) {
        return RenameResult::Renamed;
    }
    return errno == EXDEV ? RenameResult::OtherFileSystem : RenameResult::Failed;
}

RenameResult RenameToNewName(std::string_view from, std::string_view to)
{
    auto nativeFrom = ToNativePath(from);
    auto nativeTo = ToNativePath(to);
    if (!nativeFrom || !nativeTo) {
        return RenameResult::Failed;
    }
    if (::renameat2(AT_FDCWD, nativeFrom->c_str(), AT_FDCWD, nativeTo->c_str(), RENAME_NOREPLACE) == 0) {
        return RenameResult::Renamed;
    }
    switch (errno) {
        case EEXIST:
            return RenameResult::Exists;
        case EXDEV:
            return RenameResult::OtherFileSystem;
        case EINVAL:
        case ENOSYS:
            // A file system without the no-replace flag: reserve the name with
            // an exclusive create, then move over that empty placeholder.
            if (HostFile::CreatePrivate(to).IsOpen()) {
                return RenameFile(from, to);
            }
            return errno == EEXIST ? RenameResult::Exists : RenameResult::Failed;
        default:
            return RenameResult::Failed;
    }
}

bool PathExists(std::string_view path)
{
    auto native = ToNativePath(path);
    struct stat st {};
    return native && ::lstat(native->c_str(), &st) == 0;
}

bool IsSameFile(std::string_view first, std::string_view second)
{
    auto a = IdentityOf(first);
    auto b = IdentityOf(second);
    return a && b && *a == *b;
}

std::optional<FileIdentity> IdentityOf(std::string_view path)
{
    auto native = ToNativePath(path);
    struct stat st {};
    if (!native || ::stat(native->c_str(), &st) != 0) {
        return std::nullopt;
    }
    return FileIdentity{static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
}

std::optional<int64_t> RegularFileLength(std::string_view path)
{
    auto native = ToNativePath(path);
    struct stat st {};
    if (!native || ::stat(native->c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        return std::nullopt;
    }
    return st.st_size;
}

std::string NameBeside(const std::string &target)
{
    static std::atomic<unsigned> counter{0};
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, ".vorl%05X%04X", static_cast<unsigned>(::getpid()) & 0xFFFFF,
                  ++counter & 0xFFFF);
    return target + suffix;
}

bool ReplaceFileContents(const std::string &path, const std::string &content, std::string_view ending)
{
    return ReplaceFileWith(
        path, [&content](HostFile &file) { return file.WriteAll(content.data(), content.size()); }, ending);
}

bool ReplaceFileWith(const std::string &path, const std::function<bool(HostFile &)> &write, std::string_view ending)
{
    constexpr int kAttempts = 100;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        std::string fresh = NameBeside(path).append(ending);
        HostFile file = HostFile::CreateExclusive(fresh);
        if (!file.IsOpen()) {
            if (PathExists(fresh)) {
                continue;  // taken by someone else: try another name
            }
            return false;
        }
        bool written = write(file) && file.Close();
        if (written && RenameFile(fresh, path) == RenameResult::Renamed) {
            return true;
        }
        RemoveFile(fresh);
        return false;
    }
    return false;
}

void RemoveFilesIn(std::string_view directory)
{
    auto native = ToNativePath(directory);
    if (!native) {
        return;
    }
    int dirFd = ::open(native->c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (dirFd < 0) {
        return;
    }
    DIR *dir = ::fdopendir(dirFd);
    if (dir == nullptr) {
        ::close(dirFd);
        return;
    }
    // Names are removed relative to the opened folder, so nothing outside
    // it is reached even when a converter left links behind.
    while (const dirent *entry = ::readdir(dir)) {
        std::string_view name = entry->d_name;
        if (name == "." || name == "..") {
            continue;
        }
        struct stat st {};
        if (::fstatat(dirFd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && !S_ISDIR(st.st_mode)) {
            ::unlinkat(dirFd, entry->d_name, 0);
        }
    }
    ::closedir(dir);
}

std::optional<std::string> EnvironmentText(const char *name)
{
    const char *value = std::getenv(name);
    if (value == nullptr || *value == '\0') {
        return std::nullopt;
    }
    return FromNativeName(value);
}

int64_t CalendarSeconds()
{
    return static_cast<int64_t>(std::time(nullptr));
}

int64_t CalendarNanoseconds()
{
    struct timespec now {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
}

std::optional<std::string> CurrentFolder()
{
    auto here = NativeCurrentFolder();
    return here ? FromNativeName(*here) : std::nullopt;
}

std::string MachineName()
{
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0) {
        return {};
    }
    return name;
}

}  // namespace vorl::host
