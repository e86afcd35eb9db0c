#include "item_appender.h"

#include <algorithm>
#include <cstring>

namespace vorl::host {
namespace {

constexpr size_t kGatherSize = 256 * 1024;
// Larger items are copied by the kernel: gathering them would only copy
// their bytes once more.
constexpr uint64_t kSmallItem = 64 * 1024;

}  // namespace

CopyResult ItemAppender::Append(HostFile &from, uint64_t count)
{
    if (count > kSmallItem) {
        if (!Flush()) {
            return CopyResult::WriteFailed;
        }
        return copier_.Copy(from, to_, count);
    }
    if (gathered_.empty()) {
        gathered_.resize(kGatherSize);
    }
    if (used_ + count > gathered_.size() && !Flush()) {
        return CopyResult::WriteFailed;
    }
    const size_t start = used_;
    while (used_ - start < count) {
        long got = from.Read(gathered_.data() + used_, static_cast<size_t>(count - (used_ - start)));
        if (got <= 0) {
            used_ = start;  // nothing of a failed item is written
            return got == 0 ? CopyResult::SourceEndedEarly : CopyResult::ReadFailed;
        }
        used_ += static_cast<size_t>(got);
    }
    return CopyResult::Copied;
}

bool ItemAppender::AppendZeros(uint64_t count)
{
    if (used_ > 0 && used_ + count <= gathered_.size()) {
        std::memset(gathered_.data() + used_, 0, static_cast<size_t>(count));
        used_ += static_cast<size_t>(count);
        return true;
    }
    return Flush() && copier_.WriteZeros(to_, count);
}

bool ItemAppender::Flush()
{
    if (used_ == 0) {
        return true;
    }
    const bool written = to_.WriteAll(gathered_.data(), used_);
    used_ = 0;
    return written;
}

}  // namespace vorl::host
