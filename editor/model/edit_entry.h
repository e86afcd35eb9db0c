// The editor's own entries: one record per index number, 0 to 9999.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vorlmake {

constexpr int kEntryCount = 10000;
constexpr int kRowsPerPage = 10;
constexpr int kLastPage = kEntryCount / kRowsPerPage - 1;

struct EditEntry {
    bool Use = false;
    std::string FileName;   // UTF-8; "*N" shares entry N's data
    int16_t ConvertNo = 0;  // 0 none, 1 to 4 a converter slot
    std::string Remarks;    // UTF-8
    int64_t Size = 0;  // a file of 2 GiB and more is measured as it is
    bool SizeFixed = false;  // typed by the user: kept by rescans, shown in red
    int32_t Alias = 0;
};

using EntryList = std::vector<EditEntry>;

}  // namespace vorlmake
