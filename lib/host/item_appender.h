// Appending the items of a pack to one file. Small items are gathered in
// memory and written many at a time: packing thousands of small files then
// costs an open, a status, a read and a close per file, as cat does, and
// one write per quarter megabyte. Larger items pass straight through.
#pragma once

#include <cstdint>
#include <vector>

#include "host_file.h"
#include "stream_copy.h"

namespace vorl::host {

class ItemAppender {
public:
    explicit ItemAppender(HostFile &to) : to_(to) {}
    // Nothing is written here: a caller that gives up discards the file.
    ~ItemAppender() = default;
    ItemAppender(const ItemAppender &) = delete;
    ItemAppender &operator=(const ItemAppender &) = delete;

    // As StreamCopier::Copy: exactly `count` bytes from the current
    // position of `from`.
    CopyResult Append(HostFile &from, uint64_t count);
    bool AppendZeros(uint64_t count);
    // Writes what is gathered; the file holds every item appended once
    // this succeeds.
    bool Flush();

private:
    HostFile &to_;
    std::vector<char> gathered_;
    size_t used_ = 0;
    StreamCopier copier_;
};

}  // namespace vorl::host
