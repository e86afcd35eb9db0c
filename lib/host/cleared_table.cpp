#include "cleared_table.h"

#include <sys/mman.h>

#include <cstdlib>
#include <cstring>

namespace vorl::host {
namespace {

constexpr size_t kHugePage = size_t{2} << 20;

}  // namespace

void *AllocateClearedTable(size_t count, size_t size)
{
    if (size != 0 && count > static_cast<size_t>(-1) / size) {
        return nullptr;
    }
    const size_t bytes = count * size;
    if (bytes < kHugePage) {
        return std::calloc(count, size);
    }
    // Aligned to a huge page and asked for them; the memory is cleared
    // here, as calloc would, and free() releases it like calloc's.
    const size_t rounded = (bytes + kHugePage - 1) / kHugePage * kHugePage;
    void *table = std::aligned_alloc(kHugePage, rounded);
    if (table == nullptr) {
        return nullptr;
    }
    ::madvise(table, rounded, MADV_HUGEPAGE);
    std::memset(table, 0, bytes);
    return table;
}

}  // namespace vorl::host
