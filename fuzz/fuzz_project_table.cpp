// A project file of any content read through VorlGetProjectFileVB into a
// table of the editor's 10,000 rows, as the editor reads one. Both readers
// run: the legacy one first, the XML one when the file is no legacy
// project. The table is followed by poisoned memory, so a row stored past
// its end is reported where it is written, not when it later spoils
// whatever lay there.
#include <sanitizer/asan_interface.h>

#include <cstdlib>
#include <cstring>

#include "fuzz_project_file.h"
#include "vorl_cnv.h"

namespace {

constexpr size_t kTableRows = 10000;
// As many rows again: an XML count of up to 20,000 names rows this far.
constexpr size_t kGuardBytes = kTableRows * sizeof(IndexEntry);

IndexEntry *GuardedTable()
{
    static IndexEntry *const table = [] {
        auto *rows = static_cast<IndexEntry *>(std::calloc(1, kTableRows * sizeof(IndexEntry) + kGuardBytes));
        if (rows == nullptr) {
            std::abort();
        }
        ASAN_POISON_MEMORY_REGION(rows + kTableRows, kGuardBytes);
        return rows;
    }();
    return table;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    VorlInformation info = vorl::fuzz::ProjectBlockFor(data, size);
    // The table is not cleared between inputs: what a row held before
    // decides nothing in either reader, and the editor's table is not
    // cleared either.
    IndexEntry *table = GuardedTable();
    VorlGetProjectFileVB(&info, table);
    if (info.entries != table) {
        std::abort();  // the caller's table was dropped or replaced
    }
    info.entries = nullptr;  // the caller's, not the block's to free
    VorlReleaseInformation(&info);
    return 0;
}
