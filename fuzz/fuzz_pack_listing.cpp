// vorlcnv's listing and item lookup on arbitrary bytes in memory, as a
// data file's head with its size, or a separate index with its data. The
// listing either succeeds or gives one line naming the file; never both,
// never neither.
//
// The first input byte chooses: bit 0 a separate index, bit 1 JSON, bit 2
// a data file longer than its head (by byte 3 times 4096), bit 3 a head
// whose format word and row count are made plausible. Bytes 1-2 are where
// the index ends (separate) or the head ends.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "pack_contents.h"

namespace {

void Check(bool condition)
{
    if (!condition) {
        std::abort();
    }
}

void CheckMessage(const std::string &error, const std::string &dataName, const std::string &headerName)
{
    Check(error.rfind("vorlcnv: " + dataName + ": ", 0) == 0 ||
          (!headerName.empty() && error.rfind("vorlcnv: " + headerName + ": ", 0) == 0));
    Check(error.find('\n') == std::string::npos);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 4) {
        return 0;
    }
    const unsigned choice = data[0];
    const size_t split = std::min<size_t>(data[1] | data[2] << 8, size - 4);
    std::string first(reinterpret_cast<const char *>(data) + 4, split);
    std::string rest(reinterpret_cast<const char *>(data) + 4 + split, size - 4 - split);
    if ((choice & 8) != 0 && first.size() >= 8) {
        // Only the bits a pack uses, at most as many rows as the bytes hold.
        first[7] = static_cast<char>((first[7] & 0x78) | ((choice & 1) != 0 ? 0x40 : 0));
        first[6] = static_cast<char>(first[6] & 0x7F);
        first[5] = 0;
        first[4] =
            static_cast<char>(1 + static_cast<unsigned char>(first[4]) % std::max<size_t>(1, (first.size() - 8) / 2));
    }
    vorlcnv::PackBytes pack;
    pack.dataName = "data.bin";
    if ((choice & 1) != 0) {
        pack.headerName = "index.bin";
        pack.header = first;
        pack.dataHead = rest;
        pack.dataSize = rest.size();
    } else {
        first += rest;
        pack.dataHead = first;
        pack.dataSize = first.size();
    }
    if ((choice & 4) != 0) {
        pack.dataSize += uint64_t{data[3]} * 4096;
    }
    std::string out, error;
    int status = vorlcnv::ListPack(pack, (choice & 2) != 0, out, error);
    if (status == 0) {
        Check(error.empty() && !out.empty() && out.back() == '\n');
    } else {
        Check(status == vorlcnv::kDataError && out.empty());
        CheckMessage(error, pack.dataName, pack.headerName);
    }
    for (uint64_t row : {uint64_t{0}, uint64_t{data[3]}, uint64_t{UINT64_MAX}}) {
        vorlcnv::ItemPlace place;
        error.clear();
        int found = vorlcnv::LocateItem(pack, row, place, error);
        if (found == 0) {
            Check(status == 0 && error.empty() && place.size > 0);
            Check(place.fileOffset + place.size <= pack.dataSize);
        } else {
            Check(found == vorlcnv::kDataError);
            CheckMessage(error, pack.dataName, pack.headerName);
        }
    }
    return 0;
}
