#include "host_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "native_path.h"

namespace vorl::host {

HostFile::~HostFile()
{
    Close();
}

HostFile::HostFile(HostFile &&other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      lengthAtOpen_(std::exchange(other.lengthAtOpen_, -1)),
      nonBlocking_(std::exchange(other.nonBlocking_, false))
{
}

HostFile &HostFile::operator=(HostFile &&other) noexcept
{
    if (this != &other) {
        Close();
        fd_ = std::exchange(other.fd_, -1);
        lengthAtOpen_ = std::exchange(other.lengthAtOpen_, -1);
        nonBlocking_ = std::exchange(other.nonBlocking_, false);
    }
    return *this;
}

HostFile HostFile::OpenNative(std::string_view path, int flags, unsigned mode)
{
    auto native = ToNativePath(path);
    if (!native) {
        return HostFile();
    }
    int fd;
    do {
        fd = ::open(native->c_str(), flags | O_CLOEXEC, mode);
    } while (fd < 0 && errno == EINTR);
    return HostFile(fd);
}

HostFile HostFile::OpenForReading(std::string_view path)
{
    // Opened without blocking, so that a pipe or a device with that name
    // cannot hang the caller before it is seen not to be a regular file.
    HostFile file = OpenNative(path, O_RDONLY | O_NONBLOCK);
    struct stat st {};
    if (file.IsOpen() && (::fstat(file.fd_, &st) != 0 || !S_ISREG(st.st_mode))) {
        file.Close();
    }
    if (file.IsOpen()) {
        file.lengthAtOpen_ = st.st_size;
        // Left non-blocking: the kernel's copy between files pays no heed
        // to it, and a read that would rather not wait clears it then.
        // That spares a call per input when thousands of small files are
        // packed.
        file.nonBlocking_ = true;
    }
    return file;
}

bool HostFile::MakeBlocking()
{
    if (nonBlocking_) {
        if (::fcntl(fd_, F_SETFL, O_RDONLY) != 0) {
            return false;
        }
        nonBlocking_ = false;
    }
    return true;
}

int HostFile::Release()
{
    // As when the opening itself failed: no descriptor at all.
    if (!MakeBlocking()) {
        Close();
    }
    lengthAtOpen_ = -1;
    return std::exchange(fd_, -1);
}

HostFile HostFile::CreateTruncating(std::string_view path)
{
    // Work files only, in a private folder; outputs take their mode when placed.
    return OpenNative(path, O_WRONLY | O_CREAT | O_TRUNC, 0600);
}

HostFile HostFile::OpenForAppending(std::string_view path)
{
    return OpenNative(path, O_WRONLY | O_CREAT | O_APPEND);
}

HostFile HostFile::CreateExclusive(std::string_view path)
{
    return OpenNative(path, O_WRONLY | O_CREAT | O_EXCL);
}

HostFile HostFile::CreatePrivate(std::string_view path)
{
    return OpenNative(path, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW, 0600);
}

HostFile HostFile::OpenInPlace(std::string_view path)
{
    // A terminal written to must not become the process's controlling one.
    return OpenNative(path, O_WRONLY | O_NOCTTY);
}

HostFile HostFile::Duplicate(int descriptor)
{
    return HostFile(::fcntl(descriptor, F_DUPFD_CLOEXEC, 3));
}

int64_t HostFile::Length() const
{
    struct stat st {};
    if (fd_ < 0 || ::fstat(fd_, &st) != 0) {
        return -1;
    }
    return st.st_size;
}

bool HostFile::Version(FileVersion &version) const
{
    struct stat st {};
    if (fd_ < 0 || ::fstat(fd_, &st) != 0) {
        return false;
    }
    constexpr int64_t kBillion = 1000000000;
    version.device = static_cast<uint64_t>(st.st_dev);
    version.inode = static_cast<uint64_t>(st.st_ino);
    version.length = st.st_size;
    version.modifiedNanoseconds = static_cast<int64_t>(st.st_mtim.tv_sec) * kBillion + st.st_mtim.tv_nsec;
    version.changedNanoseconds = static_cast<int64_t>(st.st_ctim.tv_sec) * kBillion + st.st_ctim.tv_nsec;
    return true;
}

long HostFile::Read(void *buffer, size_t size)
{
    ssize_t got;
    while (true) {
        got = ::read(fd_, buffer, size);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        // Only a regular file is left non-blocking, and most file systems
        // read those alike either way; one that would rather not wait is
        // asked again with a blocking descriptor.
        if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) && nonBlocking_) {
            if (!MakeBlocking()) {
                return -1;
            }
            continue;
        }
        return static_cast<long>(got);
    }
}

bool HostFile::WriteAll(const void *data, size_t size)
{
    const char *bytes = static_cast<const char *>(data);
    while (size > 0) {
        ssize_t put = ::write(fd_, bytes, size);
        if (put < 0 && errno == EINTR) {
            continue;
        }
        if (put <= 0) {
            return false;
        }
        bytes += put;
        size -= static_cast<size_t>(put);
    }
    return true;
}

bool HostFile::WriteAllAt(const void *data, size_t size, int64_t offset)
{
    const char *bytes = static_cast<const char *>(data);
    while (size > 0) {
        ssize_t put = ::pwrite(fd_, bytes, size, offset);
        if (put < 0 && errno == EINTR) {
            continue;
        }
        if (put <= 0) {
            return false;
        }
        bytes += put;
        size -= static_cast<size_t>(put);
        offset += put;
    }
    return true;
}

bool HostFile::SeekTo(int64_t offset)
{
    return ::lseek(fd_, offset, SEEK_SET) == offset;
}

bool HostFile::Close()
{
    lengthAtOpen_ = -1;
    nonBlocking_ = false;
    if (fd_ < 0) {
        return true;
    }
    // The descriptor is gone after close() even when it reports EINTR.
    int rc = ::close(std::exchange(fd_, -1));
    return rc == 0 || errno == EINTR;
}

}  // namespace vorl::host
