/* What the two files of the public header test share. */
#ifndef PUBLIC_USE_H
#define PUBLIC_USE_H

#include <stddef.h>

size_t BlockSizeInSecondUnit(void);
#ifdef VORL_TEST_READER
int RowsInSecondUnit(void);
#endif

#endif
