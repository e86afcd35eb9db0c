/* The default label declares an external int array: a program includes
 * such a header text from one file only. */
#include "vorl_table.h"

int main(void)
{
    return VorlIndex[0] == 0 && VorlIndex_SIZE == sizeof VorlIndex ? 0 : 1;
}
