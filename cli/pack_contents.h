// vorlcnv --list and --extract: what is inside a pack, from its bytes
// already in memory.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "exit_status.h"

namespace vorlcnv {

// A pack as the listing sees it, already in memory: the data file's first
// bytes (at least its index when the index is in front; more do no harm)
// and its whole size, and the separate index file's bytes when there is
// one. Nothing here touches a file, so the fuzzers can use it as it is.
struct PackBytes {
    std::string dataName;    // as messages name it
    std::string headerName;  // empty when the index is in front of the data
    std::string_view dataHead;
    uint64_t dataSize = 0;
    std::string_view header;
};

// Appends the listing to `out` (text, or one JSON document) and returns 0;
// or returns kDataError with a one-line message in `error`, which starts
// "vorlcnv: " and names the file at fault.
int ListPack(const PackBytes &pack, bool json, std::string &out, std::string &error);

// Where the stored bytes of `row` lie in the data file. 0, or kDataError
// with a message in `error` as ListPack's, which names the row as
// `rowText` when given (the user's digits, of a number too large to hold).
struct ItemPlace {
    uint64_t fileOffset = 0;
    uint64_t size = 0;
};
int LocateItem(const PackBytes &pack, uint64_t row, ItemPlace &place, std::string &error,
               std::string_view rowText = {});

}  // namespace vorlcnv
