// Memory for a large table that is filled at once, such as the entry table
// of a project. Where the system offers huge pages, a table of megabytes
// takes a few page faults instead of one per 4 KiB page, which cost more
// than reading the table's project.
#pragma once

#include <cstddef>

namespace vorl::host {

// `count` zero-filled elements of `size` bytes from the standard
// allocator, released with free(); null when there is no memory.
void *AllocateClearedTable(size_t count, size_t size);

}  // namespace vorl::host
