/* The second file of a program that includes the public headers: the
 * reader's functions are static inline, so each file has its own. Without
 * VORL_TEST_READER only vorl_cnv.h is included (it alone is meant for C
 * before C99). */
#include "vorl_cnv.h"
#ifdef VORL_TEST_READER
#include "vorl_reader.h"
#endif

#include "public_use.h"

size_t BlockSizeInSecondUnit(void)
{
    return sizeof(VorlInformation) + sizeof(IndexEntry);
}

#ifdef VORL_TEST_READER
/* The worked example: three 2-byte values 0, 2 and 3 in 4-byte units,
 * padded to 16 bytes, then a body of four units. */
/* clang-format off */
static const unsigned char kPack[32] = {
    'V', 'o', 'r', 'l', 3, 0, 0x12, 0, /* id, three rows, 2-byte values, 4-byte units */
    0, 0, 2, 0, 3, 0,                  /* the values 0, 2 and 3 */
    0, 0,                              /* padding to 16 bytes */
    'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h', 'i', 'j', 'k', 'l', 'm', 'n', 'o', 'p'};
/* clang-format on */

int RowsInSecondUnit(void)
{
    VorlReaderIndex index;
    VorlReaderEntry entry;
    if (VorlReaderOpenPack(&index, kPack, sizeof kPack) != VORL_READER_OK) {
        return -1;
    }
    if (VorlReaderRow(&index, 2, &entry) != VORL_READER_OK || entry.offset != 12) {
        return -2;
    }
    return (int)VorlReaderRowCount(&index);
}
#endif
