/* The second file of a program that includes one header text: the arrays
 * are its own copies, so the linker never sees a name twice. */
#include "vorl_table.h"

#include "table_use.h"

unsigned long long SumInSecondUnit(void)
{
    unsigned long long sum = 0;
    size_t row;
    for (row = 0; row < sizeof TABLE / sizeof TABLE[0]; ++row) {
        sum += (unsigned long long)TABLE[row];
    }
#ifdef TABLE_ALIAS
    for (row = 0; row < sizeof TABLE_ALIAS / sizeof TABLE_ALIAS[0]; ++row) {
        sum += (unsigned long long)TABLE_ALIAS[row];
    }
#endif
    return sum;
}
