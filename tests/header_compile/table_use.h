/* What the two files of the test program share besides the header text.
 * TABLE (and TABLE_ALIAS) name the arrays, ROWS is the row count and
 * MARKER_ROW, when given, a row that holds the all-ones marker. */
#ifndef TABLE_USE_H
#define TABLE_USE_H

#include <stddef.h>

unsigned long long SumInSecondUnit(void);

#endif
