// The editor's own entries: one record per index number, 0 to 9999.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vorlmake {

constexpr int kEntryCount = 10000;
// The rows of one page, in the window and in the model.
constexpr int kRowsPerPage = 10;
constexpr int kLastPage = kEntryCount / kRowsPerPage - 1;

struct EditEntry {
    bool inUse = false;
    std::string fileName;    // UTF-8; "*N" shares entry N's data
    int16_t converter = 0;   // 0 none, 1 to 4 a converter slot
    std::string remarks;     // UTF-8
    int64_t size = 0;        // a file of 2 GiB and more is measured as it is
    bool sizeTyped = false;  // typed by the user: kept by rescans, shown in red
    // All 64 bits of the 8-byte alias table: the lower half is the 32-bit
    // alias of the narrower widths, the upper half is written only at 8.
    int64_t alias = 0;

    bool operator==(const EditEntry &other) const = default;
};

using EntryList = std::vector<EditEntry>;

}  // namespace vorlmake
