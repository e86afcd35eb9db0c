// vorl_reader.h on arbitrary bytes: a whole pack, a pack's head with the
// size of the whole, or a separate index with a body. Every accessor is
// called and what the rows say is checked against itself; anything read
// outside the buffers is a finding of the sanitizers.
//
// The first input byte chooses: bits 0-1 the way of opening, bit 2 a
// repair of the head and values, so that most inputs get past opening.
// Bytes 1-2 are where the index ends (separate) or the head ends.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "vorl_reader.h"

namespace {

void Check(bool condition)
{
    if (!condition) {
        std::abort();
    }
}

void WriteValue(unsigned char *at, uint64_t value, unsigned width, bool mostSignificantFirst)
{
    for (unsigned i = 0; i < width; ++i) {
        unsigned shift = 8 * (mostSignificantFirst ? width - 1 - i : i);
        at[i] = static_cast<unsigned char>(value >> shift);
    }
}

// Clears the bits no pack uses, fits the row count to the bytes, and
// brings every value within the body, keeping the all-ones mark where
// the input has it: the reader's row logic is then what gets fuzzed.
// `bytes` is a whole pack, or a separate index for a body of `bodySize`.
void Repair(std::vector<unsigned char> &bytes, bool separate, size_t bodySize)
{
    if (bytes.size() < 8) {
        return;
    }
    unsigned word = bytes[6] | bytes[7] << 8;
    word &= 0x787Fu;
    word = separate ? word | 0x4000u : word & ~0x4000u;
    if ((word & 0x2000u) == 0) {
        word &= ~0x1800u;
    }
    static const unsigned widths[4] = {4, 2, 8, 1};
    const unsigned indexWidth = widths[(word >> 4) & 3];
    const unsigned aliasWidth = (word & 0x2000u) != 0 ? widths[(word >> 11) & 3] : 0;
    const size_t fit = (bytes.size() - 8) / (indexWidth + aliasWidth);
    if (fit == 0) {
        return;
    }
    const size_t rows = 1 + (bytes[4] | bytes[5] << 8) % std::min<size_t>(fit, 65535);
    const size_t align = size_t{1} << (word & 0xF);
    const size_t table = 8 + rows * (indexWidth + aliasWidth);
    if (!separate) {
        const size_t padded = (table + align - 1) / align * align;
        if (padded > bytes.size()) {
            return;
        }
        bodySize = bytes.size() - padded;
    }
    bytes[4] = static_cast<unsigned char>(rows);
    bytes[5] = static_cast<unsigned char>(rows >> 8);
    bytes[6] = static_cast<unsigned char>(word);
    bytes[7] = static_cast<unsigned char>(word >> 8);
    const uint64_t units = bodySize / align;
    const bool mostSignificantFirst = (word & 0x40u) != 0;
    for (size_t row = 0; row < rows; ++row) {
        unsigned char *at = bytes.data() + 8 + row * indexWidth;
        uint64_t value = 0;
        for (unsigned i = 0; i < indexWidth; ++i) {
            value |= uint64_t{at[i]} << (8 * (mostSignificantFirst ? indexWidth - 1 - i : i));
        }
        const uint64_t mark = indexWidth == 8 ? UINT64_MAX : (uint64_t{1} << (8 * indexWidth)) - 1;
        if (value != mark) {
            WriteValue(at, value % (units + 1), indexWidth, mostSignificantFirst);
        }
    }
}

void CheckEntry(const VorlReaderIndex &index, size_t row, const VorlReaderEntry &entry)
{
    Check(entry.owner <= row);
    if (!entry.hasData) {
        Check(entry.size == 0 && entry.owner == row);
        return;
    }
    Check(!entry.marked && entry.size > 0);
    Check(entry.offset < index.bodySize && entry.size <= index.bodySize - entry.offset);
    Check(entry.offset % index.alignment == 0 && entry.size % index.alignment == 0);
    uint64_t value = 0;
    Check(VorlReaderValue(&index, row, &value) == VORL_READER_OK && value == entry.value);
    if (entry.owner != row) {
        VorlReaderEntry owner;
        Check(VorlReaderRow(&index, entry.owner, &owner) == VORL_READER_OK);
        Check(owner.hasData && owner.owner == entry.owner && owner.offset == entry.offset && owner.size == entry.size);
    }
}

void Exercise(const VorlReaderIndex &index, const unsigned char *body)
{
    const size_t rows = VorlReaderRowCount(&index);
    Check(rows >= 1 && rows <= 65535);
    const unsigned indexWidth = VorlReaderIndexWidth(&index);
    const unsigned aliasWidth = VorlReaderAliasWidth(&index);
    Check(indexWidth == 1 || indexWidth == 2 || indexWidth == 4 || indexWidth == 8);
    Check(aliasWidth == 0 || aliasWidth == 1 || aliasWidth == 2 || aliasWidth == 4 || aliasWidth == 8);
    Check(VorlReaderAlignment(&index) >= 1 && VorlReaderBodySize(&index) % VorlReaderAlignment(&index) == 0);
    (void)VorlReaderMostSignificantFirst(&index);
    (void)VorlReaderRunningOffsets(&index);
    (void)VorlReaderBodyStart(&index);

    VorlReaderCursor cursor;
    VorlReaderEntry walked;
    VorlReaderStartRows(&cursor);
    size_t row = 0;
    while (VorlReaderNextRow(&index, &cursor, &walked) == 1) {
        CheckEntry(index, row, walked);
        // Reading one row costs the whole table; the first rows and a few
        // more are compared with the walk.
        if (row < 32 || row % 97 == 0) {
            VorlReaderEntry single;
            Check(VorlReaderRow(&index, row, &single) == VORL_READER_OK);
            Check(single.value == walked.value && single.offset == walked.offset && single.size == walked.size &&
                  single.owner == walked.owner && single.hasData == walked.hasData && single.alias == walked.alias);
            const unsigned char *data = nullptr;
            size_t size = 0;
            int status = VorlReaderItem(&index, body, row, &data, &size);
            Check(status == (single.hasData ? VORL_READER_OK : VORL_READER_NO_DATA));
            Check(!single.hasData || (data != nullptr && size == single.size));
            uint64_t alias = 0;
            status = VorlReaderAlias(&index, row, &alias);
            Check(aliasWidth == 0 ? status == VORL_READER_ERR_NO_ALIAS
                                  : status == VORL_READER_OK && alias == single.alias);
            int64_t signedAlias = VorlReaderSignedAlias(&index, alias);
            Check(aliasWidth == 0 || aliasWidth == 8 ||
                  (signedAlias >= -(int64_t{1} << (8 * aliasWidth - 1)) &&
                   signedAlias < (int64_t{1} << (8 * aliasWidth))));
        }
        ++row;
    }
    Check(row == rows);
    Check(VorlReaderNextRow(&index, &cursor, &walked) == 0);
    uint64_t value = 0;
    Check(VorlReaderValue(&index, rows, &value) == VORL_READER_ERR_ROW);
    Check(VorlReaderRow(&index, rows, &walked) == VORL_READER_ERR_ROW);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 3) {
        return 0;
    }
    const unsigned choice = data[0];
    const size_t split = std::min<size_t>(data[1] | data[2] << 8, size - 3);
    const bool repair = (choice & 4) != 0;
    // Copies of exactly the lengths given, so that any read past them is
    // one past a heap block.
    std::vector<unsigned char> first(data + 3, data + 3 + split);
    std::vector<unsigned char> rest(data + 3 + split, data + size);
    VorlReaderIndex index;
    int status = VORL_READER_OK;
    const unsigned char *body = nullptr;
    switch (choice & 3) {
        case 0: {  // a whole pack
            first.insert(first.end(), rest.begin(), rest.end());
            if (repair) {
                Repair(first, false, 0);
            }
            std::vector<unsigned char> pack(first);
            status = VorlReaderOpenPack(&index, pack.data(), pack.size());
            if (status == VORL_READER_OK) {
                Check(index.body == pack.data() + VorlReaderBodyStart(&index));
                Check(VorlReaderBodyStart(&index) + VorlReaderBodySize(&index) == pack.size());
                Exercise(index, nullptr);
            }
            break;
        }
        case 1: {  // the head of a pack whose whole size is known
            const size_t packSize = first.size() + rest.size();
            if (repair) {
                std::vector<unsigned char> whole(first);
                whole.insert(whole.end(), rest.begin(), rest.end());
                Repair(whole, false, 0);
                std::copy(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(first.size()), first.begin());
            }
            status = VorlReaderOpenPackHead(&index, first.data(), first.size(), packSize);
            if (status == VORL_READER_OK) {
                Check(index.body == nullptr && VorlReaderBodyStart(&index) + VorlReaderBodySize(&index) == packSize);
                const unsigned char *item = nullptr;
                size_t itemSize = 0;
                Check(VorlReaderItem(&index, nullptr, 0, &item, &itemSize) == VORL_READER_ERR_ARGUMENT);
                // The body is not at hand: the walk alone.
                VorlReaderCursor cursor;
                VorlReaderEntry entry;
                VorlReaderStartRows(&cursor);
                for (size_t row = 0; VorlReaderNextRow(&index, &cursor, &entry) == 1; ++row) {
                    CheckEntry(index, row, entry);
                }
            }
            break;
        }
        default: {  // a separate index and its data
            if (repair) {
                Repair(first, true, rest.size());
            }
            status = VorlReaderOpen(&index, first.data(), first.size(), rest.size());
            if (status == VORL_READER_OK) {
                Check(VorlReaderBodyStart(&index) == 0 && index.tableSize <= first.size());
                body = rest.empty() ? first.data() : rest.data();
                Exercise(index, body);
            }
            break;
        }
    }
    if (status != VORL_READER_OK) {
        Check(status < 0 && VorlReaderRowCount(&index) == 0);
        Check(VorlReaderErrorText(status)[0] != '\0');
    }
    size_t indexSize = 0;
    (void)VorlReaderIndexSize(first.data(), first.size(), &indexSize);
    return 0;
}
