/* The first file of a program that includes the public headers; it runs
 * without the library, so it uses only the types, constants and the
 * reader's inline functions. */
#include "vorl_cnv.h"
#ifdef VORL_TEST_READER
#include "vorl_reader.h"
#endif

#include "public_use.h"

int main(void)
{
    if (BlockSizeInSecondUnit() != sizeof(VorlInformation) + sizeof(IndexEntry)) {
        return 1;
    }
    if (sizeof(IndexEntry) != 540 || VORL_LABEL_SIZE != 128) {
        return 2;
    }
#ifdef VORL_TEST_READER
    if (RowsInSecondUnit() != 3 || VorlReaderErrorText(VORL_READER_ERR_SHORT) == VORL_READER_NULL) {
        return 3;
    }
#endif
    return 0;
}
