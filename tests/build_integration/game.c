/* Prints the size of the index table that the build packed. */
#include <stdio.h>

#include "assets.h"

int main(void)
{
    printf("%u entries\n", (unsigned)(GameAssets_SIZE / sizeof GameAssets[0]));
    return 0;
}
