/* The first file of a program that includes one header text: it reads the
 * arrays itself and through the second file, and the two must agree. */
#include "vorl_table.h"

#include "table_use.h"

#define SIZE_OF(label) SIZE_NAME(label)
#define SIZE_NAME(label) label##_SIZE

/* The marker of a column: every bit of the width, or the 32-bit marker in
 * the lower half of an 8-byte value. */
static unsigned long long AllOnes(size_t width)
{
    return width >= 4 ? 0xffffffffULL : (1ULL << (8 * width)) - 1;
}

int main(void)
{
    unsigned long long sum = 0;
    size_t row;
    if (sizeof TABLE / sizeof TABLE[0] != ROWS || SIZE_OF(TABLE) != sizeof TABLE) {
        return 1;
    }
#ifdef MARKER_ROW
    if ((unsigned long long)TABLE[MARKER_ROW] != AllOnes(sizeof TABLE[0])) {
        return 2;
    }
#else
    (void)AllOnes;
#endif
    for (row = 0; row < ROWS; ++row) {
        sum += (unsigned long long)TABLE[row];
    }
#ifdef TABLE_ALIAS
    if (sizeof TABLE_ALIAS / sizeof TABLE_ALIAS[0] != ROWS) {
        return 3;
    }
    for (row = 0; row < ROWS; ++row) {
        sum += (unsigned long long)TABLE_ALIAS[row];
    }
#endif
    return sum == SumInSecondUnit() ? 0 : 4;
}
