#include "stream_copy.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace vorl::host {
namespace {

constexpr size_t kBlockSize = 1 << 20;

}  // namespace

StreamCopier::StreamCopier() : buffer_(kBlockSize) {}

CopyResult StreamCopier::Copy(HostFile &from, HostFile &to, uint64_t count)
{
    // The kernel copies between files without passing the bytes through
    // user space; where it cannot (other file systems, old kernels) the
    // block loop below takes over for the rest.
    while (count > 0 && kernelCopyWorks_) {
        size_t chunk = static_cast<size_t>(std::min<uint64_t>(count, 1u << 30));
        ssize_t moved = ::copy_file_range(from.Descriptor(), nullptr, to.Descriptor(), nullptr, chunk, 0);
        if (moved > 0) {
            count -= static_cast<uint64_t>(moved);
            continue;
        }
        if (moved == 0) {
            return CopyResult::SourceEndedEarly;
        }
        if (errno == EINTR) {
            continue;
        }
        if (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP ||
            errno == EBADF || errno == ETXTBSY) {
            kernelCopyWorks_ = false;
            break;
        }
        return errno == EIO ? CopyResult::ReadFailed : CopyResult::WriteFailed;
    }
    while (count > 0) {
        size_t want = static_cast<size_t>(std::min<uint64_t>(count, buffer_.size()));
        long got = from.Read(buffer_.data(), want);
        if (got < 0) {
            return CopyResult::ReadFailed;
        }
        if (got == 0) {
            return CopyResult::SourceEndedEarly;
        }
        if (!to.WriteAll(buffer_.data(), static_cast<size_t>(got))) {
            return CopyResult::WriteFailed;
        }
        count -= static_cast<uint64_t>(got);
    }
    return CopyResult::Copied;
}

bool StreamCopier::WriteZeros(HostFile &to, uint64_t count)
{
    if (count == 0) {
        return true;
    }
    std::memset(buffer_.data(), 0, std::min<uint64_t>(count, buffer_.size()));
    while (count > 0) {
        size_t chunk = static_cast<size_t>(std::min<uint64_t>(count, buffer_.size()));
        if (!to.WriteAll(buffer_.data(), chunk)) {
            return false;
        }
        count -= chunk;
    }
    return true;
}

}  // namespace vorl::host
