#include "stream_copy.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace vorl::host {
namespace {

constexpr size_t kBlockSize = 1 << 20;

// Padding comes from a block that is never written to, so no item's
// padding has to clear a buffer first.
constexpr size_t kZeroBlockSize = 1 << 16;
const char kZeros[kZeroBlockSize] = {};

}  // namespace

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
        if (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP || errno == EBADF ||
            errno == ETXTBSY) {
            kernelCopyWorks_ = false;
            break;
        }
        return errno == EIO ? CopyResult::ReadFailed : CopyResult::WriteFailed;
    }
    if (count > 0 && buffer_.empty()) {
        buffer_.resize(kBlockSize);
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
    while (count > 0) {
        size_t chunk = static_cast<size_t>(std::min<uint64_t>(count, kZeroBlockSize));
        if (!to.WriteAll(kZeros, chunk)) {
            return false;
        }
        count -= chunk;
    }
    return true;
}

}  // namespace vorl::host
