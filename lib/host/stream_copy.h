// Moving bytes between open files in large blocks: inputs are never held
// whole in memory and never read byte by byte.
#pragma once

#include <cstdint>
#include <vector>

#include "host_file.h"

namespace vorl::host {

enum class CopyResult { Copied, SourceEndedEarly, ReadFailed, WriteFailed };

class StreamCopier {
public:
    // Copies exactly `count` bytes from the current position of `from` to
    // the current position of `to`. A source that ends before `count`
    // bytes (it shrank after it was measured) is reported, never padded.
    CopyResult Copy(HostFile &from, HostFile &to, uint64_t count);
    bool WriteZeros(HostFile &to, uint64_t count);

private:
    // Made at first need: where the kernel copies, a pack never touches it.
    std::vector<char> buffer_;
    bool kernelCopyWorks_ = true;
};

}  // namespace vorl::host
